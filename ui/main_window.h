// The main window: its handle, kept for the code that reaches it from other
// threads, and its dialog procedure.
#pragma once
#include <windows.h>

extern HWND MainDialog;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
