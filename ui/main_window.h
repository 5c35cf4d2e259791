// The main window: its handle, kept for the code that reaches it from other
// threads, and its dialog procedure.
#pragma once
#include <windows.h>

extern HWND MainDialog;

// The tooltip window of the main window (absent when it could not be made),
// with one tool per Audio Format value, identified 1001 and 1020.
extern HWND ToolTipWindow;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
