// The hand-over of the progress figures from the worker to the window.
//
// Showing the figures costs far more than computing them: setting the
// fourteen controls from another thread takes milliseconds, converting a
// block a fraction of one. So the worker never waits for the window. It keeps
// its own ProgressView, publishes a copy through a triple buffer after every
// change and posts one WM_APP_PROGRESS while none is pending; the window's
// thread then shows whatever is newest. Neither side ever blocks the other,
// so the worker may be suspended at any instruction without stalling the
// window.
#include "engine/progress.h"
#include <commctrl.h>
#include <atomic>
#include <cstring>
#include "engine/progress_text.h"
#include "res/resource.h"
#include "win/app_messages.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"

BatchCounters BatchStatistics = {};

namespace {

// Three copies of the view: the worker fills its back slot, then swaps it
// with the middle one and marks the middle fresh; the window's thread swaps
// its front slot with a fresh middle one. Each side owns its slot outright,
// so a copy is never read while it is written.
class ProgressExchange {
public:
    // Worker: the back slot to fill.
    ProgressView& Back() { return slots[back]; }

    // Worker: makes the filled back slot the newest figures.
    void Publish()
    {
        back = middle.exchange(static_cast<uint8_t>(back | Fresh)) & SlotMask;
    }

    // Window: the newest figures not taken before, or null.
    const ProgressView* Take()
    {
        if ((middle.load() & Fresh) == 0)
            return nullptr;
        front = middle.exchange(front) & SlotMask;
        return &slots[front];
    }

private:
    static constexpr uint8_t SlotMask = 3;
    static constexpr uint8_t Fresh = 4;

    ProgressView slots[3] = {};
    std::atomic<uint8_t> middle{ 0 };
    uint8_t back = 1;   // the worker's
    uint8_t front = 2;  // the window's
};

ProgressExchange Exchange;
// Window's thread only: when the figures were last shown, and whether a
// refresh is waiting for its timer.
DWORD RefreshInterval = DefaultProgressRefreshInterval;
DWORD LastRefreshTick = 0;
bool RefreshTimerSet = false;
// What the controls should show, as far as the worker knows. Worker only.
ProgressView WorkerView = {};
// Set by the worker when it posts WM_APP_PROGRESS, cleared by the window's
// thread before it takes the newest figures: a figure published after the
// clearing either is taken now or brings another message.
std::atomic<bool> MessagePending{ false };

void PublishWorkerView()
{
    Exchange.Back() = WorkerView;
    Exchange.Publish();

    const HWND window = MainDialog;
    if (window == nullptr)
        return;
    if (MessagePending.exchange(true))
        return;
    // A message that cannot be queued (window gone, queue full) must not
    // leave the flag set, or no later figure would ever be announced.
    if (!PostMessageA(window, WM_APP_PROGRESS, 0, 0))
        MessagePending.store(false);
}

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

}  // namespace

void ResetProgressForBatch()
{
    BatchStatistics.ConsumedBytes = 0;
    BatchStatistics.FilesStarted = 0;
    BatchStatistics.AverageRatio = 0.0;
    BatchStatistics.StartTick = GetTickCount();
    ResetProgressView(WorkerView);
    // A message lost with a window of an earlier batch must not keep this
    // batch from announcing its figures; at worst one message too many.
    MessagePending.store(false);
    PublishWorkerView();
}

void StartFileLine(const char* line)
{
    // Shown with the figures of the file's start, which follow at once.
    lstrcpynA(WorkerView.FileLine, line, sizeof(WorkerView.FileLine));
}

void StartFileProgress(DWORD dataSize)
{
    StartFileInView(WorkerView, BatchStatistics.TotalBytes, dataSize);
    PublishWorkerView();
}

void UpdateProgress(DWORD sourceBytes, DWORD destinationBytes, DWORD fileDone, DWORD fileSize)
{
    BlockCounters counters = { BatchStatistics.TotalBytes, BatchStatistics.ConsumedBytes,
                               BatchStatistics.AverageRatio, BatchStatistics.StartTick };
    const BlockReport block = { sourceBytes, destinationBytes, fileDone, fileSize };
    ApplyBlockToView(WorkerView, counters, block, GetTickCount());
    BatchStatistics.ConsumedBytes = counters.ConsumedBytes;
    BatchStatistics.AverageRatio = counters.AverageRatio;
    PublishWorkerView();
}

void ClearProgressRows()
{
    ClearRowsInView(WorkerView);
    PublishWorkerView();
}

void ShowLatestProgress(HWND mainWindow)
{
    // Showing costs the window's thread several milliseconds of drawing, and
    // the display server as much again; refreshed as often as blocks finish,
    // that would take a core from the conversion. A refresh that comes too
    // soon after the last one waits for a timer instead, with the message
    // still counted as pending so the worker posts no more meanwhile.
    const DWORD now = GetTickCount();
    if (RefreshInterval != 0 && now - LastRefreshTick < RefreshInterval) {
        if (!RefreshTimerSet) {
            SetTimer(mainWindow, ProgressRefreshTimer, RefreshInterval - (now - LastRefreshTick), nullptr);
            RefreshTimerSet = true;
        }
        return;
    }
    if (RefreshTimerSet) {
        KillTimer(mainWindow, ProgressRefreshTimer);
        RefreshTimerSet = false;
    }
    LastRefreshTick = now;

    MessagePending.store(false);
    const ProgressView* view = Exchange.Take();
    if (view == nullptr)
        return;

    // In the order in which the worker computes them. Range before position:
    // a position outside the old range would be cut to it. An empty line is
    // the start of a batch, whose look the window has already.
    if (view->FileLine[0] != '\0')
        ShowText(mainWindow, IDC_CONVERT_INFO, view->FileLine);
    ShowBar(mainWindow, IDC_TOTAL_PROGRESS, view->TotalRange, view->TotalPosition);
    ShowText(mainWindow, IDC_TOTAL_TEXT_LEFT, view->TotalTextLeft);
    ShowText(mainWindow, IDC_TOTAL_MARK, view->TotalMark);
    ShowText(mainWindow, IDC_TOTAL_TEXT_MID, view->TotalTextMid);
    ShowText(mainWindow, IDC_TOTAL_TEXT_RIGHT, view->TotalTextRight);
    ShowBar(mainWindow, IDC_FILE_PROGRESS, view->FileRange, view->FilePosition);
    ShowText(mainWindow, IDC_FILE_TEXT_LEFT, view->FileTextLeft);
    ShowText(mainWindow, IDC_FILE_MARK, view->FileMark);
    ShowText(mainWindow, IDC_FILE_TEXT_MID, view->FileTextMid);
    ShowText(mainWindow, IDC_FILE_TEXT_RIGHT, view->FileTextRight);
    ShowText(mainWindow, IDC_AVG_COMPRESSION, view->AvgCompression);
    ShowText(mainWindow, IDC_CUR_COMPRESSION, view->CurCompression);
    ShowText(mainWindow, IDC_ELAPSED_TIME, view->ElapsedTime);
    ShowText(mainWindow, IDC_ESTIMATED_TIME, view->EstimatedTime);

    // The shell call is the slow part of an update; skip it for an unchanged
    // text. An empty text means no block has been shown in this batch yet, so
    // the tooltip still tells the idle state.
    static_assert(sizeof(view->Tooltip) <= sizeof(TrayIcon.szTip), "the tooltip is never cut");
    if (view->Tooltip[0] != '\0' && std::strcmp(view->Tooltip, TrayIcon.szTip) != 0)
        SetTrayTooltip(view->Tooltip);
}

void SetProgressRefreshInterval(DWORD milliseconds) { RefreshInterval = milliseconds; }

void DiscardPendingProgress()
{
    Exchange.Take();
}
