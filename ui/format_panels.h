// The Source Format and Destination Format panels of the main window: the
// fields of the selected rows' formats in words, "-----" where the rows
// differ, and a tooltip for an Audio Format text too wide for its control.
#pragma once
#include <windows.h>

// Reads the selection of the file list and its rows' entries; changes
// nothing in them.
void ShowFormatPanels(HWND window);
