// The rows of the source file list as a batch job takes them.
#pragma once
#include <windows.h>
#include <vector>
#include "engine/batch/batch_job.h"

// On the window's thread: every row of the list in list order, its path,
// whether it is marked, and both formats copied out of its records. The
// list cannot change while a batch runs, so the rows are read once, before
// the worker starts.
std::vector<BatchRow> CollectBatchRows(HWND window);
