// The main window's dialog procedure.
#include "ui/main_window.h"
#include "ui/app_messages.h"
#include "engine/progress.h"
#include "res/resource.h"
#include "ui/preview.h"

HWND MainDialog = nullptr;
HWND ToolTipWindow = nullptr;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PLAY:
            return PlayPreview(dialog);
        case IDC_STOP_PLAY:
            return StopPreview(dialog);
        }
        return FALSE;
    case MM_MCINOTIFY:
        return FinishPreview(dialog, wParam);
    case WM_TIMER:
        if (wParam == ProgressRefreshTimer) {
            ShowLatestProgress(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_INITDIALOG:
        return TRUE;
    case WM_APP_PROGRESS:
        ShowLatestProgress(dialog);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        ClosePreview(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}
