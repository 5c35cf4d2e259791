// Showing the progress figures in the main window and the tray.
#include "ui/progress_display.h"
#include <commctrl.h>
#include <cstring>
#include "engine/batch/progress.h"
#include "res/resource.h"
#include "ui/tray_icon.h"

namespace {

// When the figures were last shown, and whether a refresh is waiting for its
// timer. Window's thread only.
DWORD RefreshInterval = DefaultProgressRefreshInterval;
DWORD LastRefreshTick = 0;
bool RefreshTimerSet = false;

void ShowText(HWND window, int id, const char* text)
{
    // Longer than any figure or file line, so a longer text in the control
    // never compares equal after being cut.
    char current[ConvertInfoChars + 64] = "";
    GetDlgItemTextA(window, id, current, sizeof(current));
    if (std::strcmp(current, text) != 0)
        SetDlgItemTextA(window, id, text);
}

void ShowBar(HWND window, int id, uint32_t range, uint32_t position)
{
    if (range != 0) {
        PBRANGE current = {};
        SendDlgItemMessageA(window, id, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&current));
        if (current.iLow != 0 || current.iHigh != static_cast<int>(range))
            SendDlgItemMessageA(window, id, PBM_SETRANGE, 0, MAKELPARAM(0, range));
    }
    const LRESULT current = SendDlgItemMessageA(window, id, PBM_GETPOS, 0, 0);
    if (current != static_cast<LRESULT>(position))
        SendDlgItemMessageA(window, id, PBM_SETPOS, position, 0);
}

// Showing costs the window's thread several milliseconds of drawing, and the
// display server as much again; refreshed as often as blocks finish, that
// would take a core from the conversion. A refresh that comes too soon after
// the last one waits for a timer instead, with the news still counted as
// pending so the worker sends no more meanwhile. True when it is time.
bool TimeToRefresh(HWND mainWindow)
{
    const DWORD now = GetTickCount();
    if (RefreshInterval != 0 && now - LastRefreshTick < RefreshInterval) {
        if (!RefreshTimerSet) {
            SetTimer(mainWindow, ProgressRefreshTimer, RefreshInterval - (now - LastRefreshTick), nullptr);
            RefreshTimerSet = true;
        }
        return false;
    }
    if (RefreshTimerSet) {
        KillTimer(mainWindow, ProgressRefreshTimer);
        RefreshTimerSet = false;
    }
    LastRefreshTick = now;
    return true;
}

void ShowView(HWND mainWindow, const ProgressView& view)
{
    // In the order in which the worker computes them. Range before position:
    // a position outside the old range would be cut to it. An empty line is
    // the start of a batch, whose look the window has already.
    if (view.FileLine[0] != '\0')
        ShowText(mainWindow, IDC_CONVERT_INFO, view.FileLine);
    ShowBar(mainWindow, IDC_TOTAL_PROGRESS, view.TotalRange, view.TotalPosition);
    ShowText(mainWindow, IDC_TOTAL_TEXT_LEFT, view.TotalTextLeft);
    ShowText(mainWindow, IDC_TOTAL_MARK, view.TotalMark);
    ShowText(mainWindow, IDC_TOTAL_TEXT_MID, view.TotalTextMid);
    ShowText(mainWindow, IDC_TOTAL_TEXT_RIGHT, view.TotalTextRight);
    ShowBar(mainWindow, IDC_FILE_PROGRESS, view.FileRange, view.FilePosition);
    ShowText(mainWindow, IDC_FILE_TEXT_LEFT, view.FileTextLeft);
    ShowText(mainWindow, IDC_FILE_MARK, view.FileMark);
    ShowText(mainWindow, IDC_FILE_TEXT_MID, view.FileTextMid);
    ShowText(mainWindow, IDC_FILE_TEXT_RIGHT, view.FileTextRight);
    ShowText(mainWindow, IDC_AVG_COMPRESSION, view.AvgCompression);
    ShowText(mainWindow, IDC_CUR_COMPRESSION, view.CurCompression);
    ShowText(mainWindow, IDC_ELAPSED_TIME, view.ElapsedTime);
    ShowText(mainWindow, IDC_ESTIMATED_TIME, view.EstimatedTime);

    // The shell call is the slow part of an update; skip it for an unchanged
    // text. An empty text means no block has been shown in this batch yet, so
    // the tooltip still tells the idle state.
    static_assert(sizeof(view.Tooltip) <= TooltipChars, "the tooltip is never cut");
    if (view.Tooltip[0] != '\0' && std::strcmp(view.Tooltip, TrayIcon.szTip) != 0)
        SetTrayTooltip(view.Tooltip);
}

}  // namespace

void ShowLatestProgress(HWND mainWindow)
{
    if (!TimeToRefresh(mainWindow))
        return;
    if (const ProgressView* view = TakeLatestProgress())
        ShowView(mainWindow, *view);
}

void SetProgressRefreshInterval(DWORD milliseconds) { RefreshInterval = milliseconds; }
