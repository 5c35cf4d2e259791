// The batch's answers to the converter.
#include "engine/batch/batch_host.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/progress.h"

void BatchConversionHost::FileStarted(uint64_t fileWork) { StartFileProgress(Listener, fileWork); }

void BatchConversionHost::BlockMeasured(DWORD sourceBytes, uint64_t fileDone, uint64_t fileWork)
{
    UpdateProgress(Listener, sourceBytes, 0, fileDone, fileWork, true);
}

void BatchConversionHost::BlockConverted(DWORD sourceBytes, DWORD destinationBytes, uint64_t fileDone,
                                         uint64_t fileWork)
{
    UpdateProgress(Listener, sourceBytes, destinationBytes, fileDone, fileWork);
}

void BatchConversionHost::FileConverted() { ClearProgressRows(Listener); }

bool BatchConversionHost::AbortRequested() { return IsAbortRequested(); }
