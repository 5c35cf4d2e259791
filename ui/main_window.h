// The main window: its handle, kept for the code that reaches it from other
// threads, and its dialog procedure, which dispatches every message of the
// window to the module that owns the work.
#pragma once
#include <windows.h>

extern HWND MainDialog;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The one timer of the selection refresh.
constexpr UINT_PTR SelectionTimerId = 1;

// How many selection refreshes have run; tests watch the timer's effect.
extern unsigned SelectionRefreshCount;

// The list's columns are created through this, so a test can make it fail.
extern bool (*CreateColumnsFunction)(HWND window);

// Asks for a destination folder; true when a new one stands in the settings.
bool BrowseDestinationFolder(HWND window);

// The line that names the destination folder.
void ShowDestinationLine(HWND window);
