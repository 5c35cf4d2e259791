// The main window as the batch worker's listener.
#include "ui/batch_listener.h"
#include "res/resource.h"
#include "ui/window_size.h"
#include "win/app_messages.h"
#include "win/user_prompts.h"

void WindowBatchListener::Measured() { ShowConversionSize(window_); }

bool WindowBatchListener::FiguresPublished()
{
    return PostMessageA(window_, WM_APP_PROGRESS, 0, 0) != FALSE;
}

void WindowBatchListener::Stopped(const char* fileLine, const char* text)
{
    if (fileLine[0] != '\0')
        SetDlgItemTextA(window_, IDC_CONVERT_INFO, fileLine);
    ShowMessage(window_, text, "Error", MB_OK | MB_ICONHAND);
}

void WindowBatchListener::Noticed(const char* text)
{
    ShowMessage(window_, text, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

void WindowBatchListener::Ended(DWORD exitCode)
{
    PostMessageA(window_, WM_APP_CONVERSION_ENDED, exitCode, 0);
}
