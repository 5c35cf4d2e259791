// The batch: the worker thread that converts every marked row of the source
// file list into the destination folder, one after another.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The worker's thread procedure; the parameter is not used. Exit code 0 when
// the walk ended or the user aborted, 1 when the batch stopped on a failure.
// Its last act is to post WM_APP_CONVERSION_ENDED to the main window.
DWORD WINAPI ConversionThread(LPVOID);

// A row of the source file list as the worker walks it: its path and the
// handle of its SourceEntry.
struct BatchRow {
    std::string Path;
    HGLOBAL Entry;
};

// On the window's thread, for WM_APP_COLLECT_ROWS: every row of the list in
// list order. The list cannot change while a batch runs, so the worker asks
// for all of them once.
BOOL CollectBatchRows(HWND window, std::vector<BatchRow>& rows);
