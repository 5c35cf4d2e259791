// The settings dialog: buffer size, compatibility check, low quality, the
// two priorities and the level the files are brought to.
#pragma once
#include <windows.h>
#include <optional>
#include <string>

// Shows the dialog over owner; 0 after OK (the values were taken), 1 after
// Cancel, -1 when it cannot be shown.
INT_PTR RunSettingsDialog(HWND owner);

// The trackbar tables, in both directions, and the texts under the thumbs.
int PriorityClassPosition(DWORD priorityClass);
DWORD PriorityClassAt(int position);
const char* PriorityClassText(int position);
int ThreadPriorityPosition(int priority);
int ThreadPriorityAt(int position);
const char* ThreadPriorityText(int position);
