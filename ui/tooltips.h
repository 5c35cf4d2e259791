// The tooltips of the main window: one tool over each panel's Audio Format
// value, whose text is the full description when it does not fit there.
#pragma once
#include <windows.h>
#include "res/resource.h"

// The tooltip window of the main window (absent when it could not be made),
// with one tool per Audio Format value and one over the play button.
extern HWND ToolTipWindow;

// Tool identifiers: those of the two Audio Format value controls.
constexpr UINT_PTR SourceFormatTool = IDC_SRC_FORMATTAG;
constexpr UINT_PTR DestinationFormatTool = IDC_DST_FORMATTAG;

// The rectangles of the two Audio Format value controls in the main window's
// client coordinates, as the tools were given them.
struct FormatToolRects {
    RECT source;
    RECT destination;
};
extern FormatToolRects FormatToolRectangles;

// Creates the tooltip window with its two tools (empty texts) and the play
// button's tool, activates it and keeps it in ToolTipWindow; false, with
// ToolTipWindow null, when the window cannot be created. The window works on
// without tooltips then.
bool CreateFormatToolTips(HWND window);

// The play button's tooltip while no preview plays.
constexpr char IdlePlayTip[] = "Play";

// Gives the play button's tool a new text (nothing without tooltips).
void ShowPlayToolTip(HWND window, const char* text);

// Gives the two tools the rectangles of their controls anew, after the
// window was laid out for another DPI.
void MoveFormatToolTips(HWND window);

// Hands a mouse message of the main window on to the tooltip (nothing
// without tooltips): the format tools are rectangles of the window itself.
void RelayToToolTip(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// At the window's destruction: the tooltip window goes with it.
void DestroyToolTips();
