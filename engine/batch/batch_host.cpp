// The batch's answers to the converter.
#include "engine/batch/batch_host.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/progress.h"

void BatchConversionHost::FileStarted(DWORD dataSize) { StartFileProgress(Listener, dataSize); }

void BatchConversionHost::BlockConverted(DWORD sourceBytes, DWORD destinationBytes, DWORD fileDone, DWORD fileSize)
{
    UpdateProgress(Listener, sourceBytes, destinationBytes, fileDone, fileSize);
}

void BatchConversionHost::FileConverted() { ClearProgressRows(Listener); }

bool BatchConversionHost::AbortRequested() { return IsAbortRequested(); }
