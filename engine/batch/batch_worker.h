// The batch: the worker thread that converts every marked row of a job into
// the destination folder (a row found in a handed-over folder into its place
// below it), one after another.
#pragma once
#include <windows.h>
#include "engine/batch/batch_job.h"

// Starts the worker for job on a thread of its own, at the given thread
// priority, and keeps its handle in Conversion.Thread; the conversion events
// must exist. The worker owns the job; listener must outlive it, and hears
// the worker's Ended as its last act. False when no thread could be started.
bool StartConversionThread(BatchJob job, BatchListener& listener, int priority);
