// What the main window's look depends on the display's DPI: the bold label
// font, the faces of the preview buttons, the list's column widths and the
// window's size. Laid out at creation and again when the window moves to a
// monitor of another DPI.
#pragma once
#include <windows.h>
#include "win/dpi.h"

// The DPI the main window was last laid out for; BaseDpi before it exists.
extern UINT MainWindowDpi;

// At the window's initialisation: the bold font made from the dialog's own
// font, the faces for the window's DPI, both set on their controls.
void ApplyDisplayScale(HWND window);

// After the system has moved and scaled the window for a new DPI: the font,
// the faces, the column widths, the tooltip rectangles and the window's size
// follow.
void FollowDpiChange(HWND window);
