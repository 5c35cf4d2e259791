// What the main window makes of the worker's news: the window grows to its
// progress rows, new figures are announced with WM_APP_PROGRESS, a message
// that stops the batch is shown under the line of its file, and the end
// comes as WM_APP_CONVERSION_ENDED; a notice after the last file is a
// warning. Every call comes on the worker's thread.
#pragma once
#include <windows.h>
#include "engine/batch/batch_job.h"

class WindowBatchListener final : public BatchListener {
public:
    explicit WindowBatchListener(HWND window = nullptr) : window_(window) {}

    void Measured() override;
    bool FiguresPublished() override;
    void Stopped(const char* fileLine, const char* text) override;
    void Noticed(const char* text) override;
    void Ended(DWORD exitCode) override;

private:
    HWND window_;
};
