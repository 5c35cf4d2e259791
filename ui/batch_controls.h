// The controls a batch locks: the six that could change the rows or the
// settings while the worker reads them, and the window's acceptance of
// dropped files. One owner for their saved states, which the start of a
// batch takes and every way back to idle returns.
#pragma once
#include <windows.h>

// Disables the six controls in their fixed order, remembering for each
// whether it was enabled, and refuses dropped files.
void DisableBatchControls(HWND window);

// Gives the six controls their earlier states back and accepts dropped
// files again.
void GiveBackEnableStates(HWND window);
