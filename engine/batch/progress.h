// Progress and statistics of a running batch. The worker computes every
// figure after each block and publishes them without waiting; whoever shows
// them takes the newest ones when it gets to them.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/batch/batch_job.h"
#include "engine/batch/progress_text.h"

struct BatchCounters {
    uint64_t TotalBytes;     // declared data sizes of all marked files
    DWORD MarkedFiles;
    uint64_t ConsumedBytes;  // source bytes consumed in this batch so far, by either pass
    DWORD FilesStarted;
    double AverageRatio;     // destination bytes per converted source byte so far
    uint64_t ProducedBytes;  // destination bytes written in this batch so far
    DWORD StartTick;
    uint64_t ConvertedBytes;  // source bytes consumed by converting passes
};

// Touched by the worker thread only.
extern BatchCounters BatchStatistics;

// Worker side. None of these waits for the one who shows the figures: each
// publishes the new figures and, unless news of earlier ones is still
// pending, tells the listener (FiguresPublished).

// At batch start, after TotalBytes and MarkedFiles are known: zeroes the
// other counters, takes the start tick and returns the figures to the idle
// look (all texts empty, both bars at 0).
void ResetProgressForBatch(BatchListener& listener);
// Before each file: the line that names it, published with the file's start.
void StartFileLine(const char* line);
// fileWork and fileDone count the bytes of both passes of a file that is
// measured before it converts (ConversionHost).
void StartFileProgress(BatchListener& listener, uint64_t fileWork);
void UpdateProgress(BatchListener& listener, DWORD sourceBytes, DWORD destinationBytes, uint64_t fileDone,
                    uint64_t fileWork, bool measured = false);
void ClearProgressRows(BatchListener& listener);

// The side that shows them.

// The newest published figures not taken before, or null. The news counts
// as received: figures published from now on bring news again. The figures
// stay valid until the next call.
const ProgressView* TakeLatestProgress();
// After the worker has ended and before the window returns to its idle look:
// drops figures that were published but not yet shown, so that news still on
// its way finds nothing to show.
void DiscardPendingProgress();
