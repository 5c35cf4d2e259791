// What follows a change of the file list's selection: the selection buttons,
// the format panels and the selection line. A burst of changes (a drag over
// many rows, Ctrl+A) costs one refresh, the settings' SelectionTimer after
// the last of them.
#pragma once
#include <windows.h>

// The one timer of the selection refresh.
constexpr UINT_PTR SelectionTimerId = 1;

// WM_NOTIFY of the main window: true when it tells of a change of the list's
// selection, which starts the timer anew (or refreshes at once when no timer
// can be had).
bool NoticeSelectionChange(HWND window, WPARAM control, const NMHDR* header);

// When the timer has run out: the timer stops and the refresh runs.
void RefreshSelection(HWND window);

// At the window's end: the timer went with the window.
void ForgetSelectionTimer();
