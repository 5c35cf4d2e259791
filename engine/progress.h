// Progress and statistics of a running batch. The worker computes every
// figure after each block; the window's thread shows the newest ones.
#pragma once
#include <windows.h>
#include <cstdint>

struct BatchCounters {
    uint64_t TotalBytes;     // declared data sizes of all marked files
    DWORD MarkedFiles;
    uint64_t ConsumedBytes;  // source bytes consumed in this batch so far
    DWORD FilesStarted;
    double AverageRatio;     // destination bytes per source byte so far
    DWORD StartTick;
};

// Touched by the worker thread only.
extern BatchCounters BatchStatistics;

// Worker side.
void StartFileProgress(DWORD dataSize);
void UpdateProgress(DWORD sourceBytes, DWORD destinationBytes, DWORD fileDone, DWORD fileSize);
void ClearProgressRows();

// Window side: called on WM_APP_PROGRESS.
void ShowLatestProgress(HWND mainWindow);
