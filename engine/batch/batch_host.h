// The batch as the converter's host: the figures of each file go out through
// the batch's listener, and the abort and the suspension come from the
// state that the window's thread steers the worker with.
#pragma once
#include <windows.h>
#include "engine/batch/batch_job.h"
#include "engine/convert/conversion_host.h"

class BatchConversionHost final : public ConversionHost {
public:
    explicit BatchConversionHost(BatchListener& listener) : Listener(listener) {}

    void FileStarted(uint64_t fileWork) override;
    void BlockMeasured(DWORD sourceBytes, uint64_t fileDone, uint64_t fileWork) override;
    void BlockConverted(DWORD sourceBytes, DWORD destinationBytes, uint64_t fileDone, uint64_t fileWork) override;
    void FileConverted() override;
    bool AbortRequested() override;

private:
    BatchListener& Listener;
};
