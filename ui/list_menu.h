// The file list's context menu: the preview and row commands at the rows,
// opened by a right click, the context menu key or Shift+F10.
#pragma once
#include <windows.h>

// WM_CONTEXTMENU of the main window, with the window it came from and the
// point in screen coordinates (-1, -1 from the keyboard). Shows the menu when
// it concerns the list and carries out the chosen command; false for any
// other window.
bool ShowListMenu(HWND window, HWND from, LPARAM point);
