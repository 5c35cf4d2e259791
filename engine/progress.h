// Progress and statistics of a running batch. The worker computes every
// figure after each block and publishes them without waiting; the window's
// thread shows the newest ones when it gets to them.
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

// Worker side. None of these waits for the window's thread: each publishes
// the new figures and, unless one is still pending, posts WM_APP_PROGRESS to
// MainDialog (nothing is posted while MainDialog is null).

// At batch start, after TotalBytes and MarkedFiles are known: zeroes the
// other counters, takes the start tick and returns the figures to the idle
// look (all texts empty, both bars at 0).
void ResetProgressForBatch();
// Before each file: the line that names it, published with the file's start.
void StartFileLine(const char* line);
void StartFileProgress(DWORD dataSize);
void UpdateProgress(DWORD sourceBytes, DWORD destinationBytes, DWORD fileDone, DWORD fileSize);
void ClearProgressRows();

// Window side.

// The shortest time between two refreshes of the figures, and the timer that
// brings a refresh that had to wait (its WM_TIMER goes to ShowLatestProgress).
constexpr DWORD DefaultProgressRefreshInterval = 100;
constexpr UINT_PTR ProgressRefreshTimer = 0x7052;
void SetProgressRefreshInterval(DWORD milliseconds);

// On WM_APP_PROGRESS and on the refresh timer: shows the newest published figures, touching only the
// controls and the tray tooltip whose content differs. While a batch runs,
// this is the only writer of the tray tooltip.
void ShowLatestProgress(HWND mainWindow);
// After the worker has ended and before the window returns to its idle look:
// drops figures that were published but not yet shown, so that a
// WM_APP_PROGRESS still in the queue finds nothing to show.
void DiscardPendingProgress();
