// The progress figures: first computed from values alone, then as the real
// main window shows them while a worker on another thread publishes them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <thread>
#include "engine/batch/progress.h"
#include "engine/batch/progress_text.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "win/app_messages.h"
#include "ui/batch_listener.h"
#include "ui/main_window.h"
#include "ui/progress_display.h"
#include "ui/tray_icon.h"

TEST(ProgressFigures, EveryFigureOfABlock)
{
    const struct {
        const char* what;
        uint64_t total, consumedBefore;
        double averageBefore;
        uint32_t startTick, fileSize;
        BlockReport block;
        uint32_t now, totalPosition;
        const char* texts;  // done, batch, file, current, average, elapsed, estimated, tooltip
    } cases[] = {
        {"the average weighs blocks by their bytes", 100000, 1000, 0.25, 5000, 100000, {3000, 2250, 4000, 100000}, 5000, 400,
         "4000|4.00 %|4.00 %|75.00 %|62.50 %|00:00:00|00:00:00 (00:00:00 left)|4.00 % converted (00:00:00 left)"},
        {"29 of 100 cut toward zero", 100, 0, 0, 5000, 100, {29, 29, 29, 100}, 5000 + 3723000, 2900,
         "29|29.00 %|29.00 %|100.00 %|100.00 %|01:02:03|03:33:57 (02:31:54 left)|29.00 % converted (02:31:54 left)"},
        {"above 4 GiB", 6000000000ull, 5000000000ull - 16384, 0.25, 5000, 100000, {16384, 4096, 16384, 100000}, 6000, 8333,
         "5000000000|83.33 %|16.38 %|25.00 %|25.00 %|00:00:01|00:00:01 (00:00:00 left)|83.33 % converted (00:00:00 left)"},
        {"outgrown, over the tick wrap", 1000, 0, 0, UINT32_MAX - 999, 1000, {1500, 1500, 1500, 1000}, 1000, 10000,
         "1500|150.00 %|150.00 %|100.00 %|100.00 %|00:00:02|00:00:01 (00:00:00 left)|150.00 % converted (00:00:00 left)"},
        {"an estimate beyond 49 days is cut", 1ull << 40, 0, 0, 5000, 1000, {1, 1, 1, 1000}, 5000 + 1000000000, 0,
         "1|0.00 %|0.10 %|100.00 %|100.00 %|277:46:40|1193:02:47 (915:16:07 left)|0.00 % converted (915:16:07 left)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgressView view = {};
        StartFileInView(view, c.total, c.fileSize);
        BlockCounters counters = {c.total, c.consumedBefore, c.averageBefore, c.startTick, c.consumedBefore};
        ApplyBlockToView(view, counters, c.block, c.now);
        EXPECT_EQ(view.TotalPosition, c.totalPosition);
        std::string texts = view.TotalTextLeft;
        for (const char* text : {view.TotalTextRight, view.FileTextRight, view.CurCompression, view.AvgCompression,
                                 view.ElapsedTime, view.EstimatedTime, view.Tooltip})
            texts.append("|").append(text);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(view.TotalTextMid, std::to_string(c.total) + " Bytes converted.");
    }
    // A measuring pass moves the bars and the estimate, not the compressions,
    // whose average then weighs only converted bytes.
    ProgressView view = {};
    StartFileInView(view, 1000, 1000);
    BlockCounters counters = {1000, 0, 0.0, 5000, 0};
    ApplyBlockToView(view, counters, {250, 0, 250, 1000}, 6000, true);
    EXPECT_EQ(std::string(view.FileTextRight) + "|" + view.CurCompression + "|" + view.EstimatedTime, "25.00 %||00:00:04 (00:00:03 left)");
    ApplyBlockToView(view, counters, {250, 125, 500, 1000}, 7000);
    EXPECT_EQ(std::string(view.TotalTextRight) + "|" + view.CurCompression + "|" + view.AvgCompression, "50.00 %|50.00 %|50.00 %");
}

// Runs work as the worker on a thread of its own while this thread, the
// window's, handles the window's messages until the worker has ended and
// no progress message is left.
static void RunWorker(const std::function<void()>& work, const std::function<void()>& afterProgress = [] {})
{
    std::atomic<bool> ended = false;
    std::thread worker([&] { work(), ended = true; });
    MSG message;
    for (bool more = true; more;) {
        more = !ended;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            more = true;
            DispatchMessageA(&message);
            if (message.message == WM_APP_PROGRESS)
                afterProgress();
        }
    }
    worker.join();
}

TEST(ProgressDisplay, TheWindowShowsTheNewestFiguresWholeAndNeverStaleOnes)
{
    HWND window = CreateBatchWindow();
    WindowBatchListener listener(window);
    SetProgressRefreshInterval(0);
    auto text = [&](int id) { return ControlText(window, id); };
    // Ten thousand blocks: every look of the window shows the newest block whole.
    int torn = 0;
    RunWorker(
        [&] {
            BatchStatistics.TotalBytes = 20000;
            ResetProgressForBatch(listener);
            StartFileProgress(listener, 10000);
            for (DWORD done = 1; done <= 10000; ++done)
                UpdateProgress(listener, 1, 1, done, 10000);
        },
        [&] { torn += text(IDC_TOTAL_TEXT_LEFT) != text(IDC_FILE_TEXT_LEFT); });
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(text(IDC_FILE_TEXT_LEFT) + text(IDC_FILE_MARK) + text(IDC_FILE_TEXT_MID), "10000of10000 Bytes converted.");
    EXPECT_EQ(text(IDC_TOTAL_TEXT_RIGHT) + text(IDC_AVG_COMPRESSION) + text(IDC_CUR_COMPRESSION), "50.00 %100.00 %100.00 %");
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_TOTAL_PROGRESS, PBM_GETPOS, 0, 0), 5000);
    EXPECT_STREQ(TrayIcon.szTip, ("50.00 % converted (" + text(IDC_ELAPSED_TIME) + " left)").c_str());
    // A longer text is cut to what the record in use shows.
    SetTrayTooltip(std::string(100, 'x').c_str());
    EXPECT_EQ(std::string(TrayIcon.szTip), std::string(TooltipChars - 1, 'x'));

    // Figures still waiting when the batch ends never overwrite the idle look.
    std::thread([&] { UpdateProgress(listener, 1, 1, 10001, 10000); }).join();
    DiscardPendingProgress();
    SetDlgItemTextA(window, IDC_TOTAL_TEXT_LEFT, "");
    PumpFor(20);
    EXPECT_EQ(text(IDC_TOTAL_TEXT_LEFT), "");
    SetProgressRefreshInterval(DefaultProgressRefreshInterval);
    DestroyWindow(window);
}
