// The main window: its handle, kept for the code that reaches it from other
// threads, and its dialog procedure, which hands every message of the window
// to the module that owns the work.
#pragma once
#include <windows.h>

extern HWND MainDialog;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
