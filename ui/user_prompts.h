// Every call that waits for a person goes through here, so that tests can
// record what would be shown and answer for the user. Each seam defaults to
// the real call.
#pragma once
#include <windows.h>

using MessageBoxFunction = int (*)(HWND owner, const char* text, const char* title, UINT style);

// Shows a message box; returns the button the user chose.
int ShowMessage(HWND owner, const char* text, const char* title, UINT style);

// Replaces the message box (nullptr restores the real one).
void SetMessageBoxFunction(MessageBoxFunction function);
