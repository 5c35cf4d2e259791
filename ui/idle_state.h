// The main window's return to its idle look after a batch.
#pragma once
#include <windows.h>

// Button "Convert", the six controls as they were, every progress text and
// bar cleared, the idle size, the tray tooltip "Tonvelka is idle". Runs on
// the window's thread once the worker has ended; a hidden window stays
// hidden.
void RestoreIdleState(HWND window);
