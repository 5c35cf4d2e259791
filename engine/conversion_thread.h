// The batch: the worker thread that converts every marked row of the source
// file list into the destination folder, one after another.
#pragma once
#include <windows.h>

// The worker's thread procedure; the parameter is not used. Exit code 0 when
// the walk ended or the user aborted, 1 when the batch stopped on a failure.
// Its last act is to post WM_APP_CONVERSION_ENDED to the main window.
DWORD WINAPI ConversionThread(LPVOID);

// Sums the declared data sizes of all marked rows into TotalBytes and counts
// them in MarkedFiles; TotalBytes 0 means the size is not available.
void MeasureMarkedFiles(HWND window);
