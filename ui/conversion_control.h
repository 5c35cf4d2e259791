// The window's side of a batch: the Convert / Stop / Continue button, the
// worker's start, suspension, resumption and abort, and its end.
#pragma once
#include <windows.h>
#include "engine/batch/batch_steering.h"

// The command of IDC_CONVERT.
void OnConvertCommand(HWND window);

// WM_APP_CONVERSION_ENDED: waits for the worker, releases the shared state
// and returns the window to its idle look.
void OnConversionEnded(HWND window);

// Before the window goes: aborts the batch, resumes a suspended worker and
// waits until it has ended, handling what it sends to the window meanwhile.
// The file in progress keeps its placeholder sizes.
void EndConversionForClose(HWND window);

