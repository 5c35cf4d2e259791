// The progress figures as the main window shows them: the worker side runs on
// its own thread, this thread is the window's and handles its messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include "engine/progress.h"
#include "res/resource.h"
#include "ui/app_messages.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"

namespace {

constexpr int RowTexts[] = { IDC_TOTAL_TEXT_LEFT, IDC_TOTAL_MARK, IDC_TOTAL_TEXT_MID, IDC_TOTAL_TEXT_RIGHT,
                             IDC_FILE_TEXT_LEFT,  IDC_FILE_MARK,  IDC_FILE_TEXT_MID,  IDC_FILE_TEXT_RIGHT };
constexpr int StatisticsTexts[] = { IDC_AVG_COMPRESSION, IDC_CUR_COMPRESSION, IDC_ELAPSED_TIME,
                                    IDC_ESTIMATED_TIME };
constexpr int Bars[] = { IDC_TOTAL_PROGRESS, IDC_FILE_PROGRESS };

// When the window's thread handles its messages while a worker runs.
enum class Pumping { WhileWorking, AfterWorking, Later };

int SetTextCount = 0;
WNDPROC CountedProcedure = nullptr;

LRESULT CALLBACK CountSetText(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        ++SetTextCount;
    return CallWindowProcA(CountedProcedure, window, message, wParam, lParam);
}

// One main window for all cases: under Wine without a window manager,
// hiding or destroying a shown window and adding a tray icon each take
// seconds.
class ProgressDisplay : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    MainDialogProc, 0);
        if (dialog == nullptr)
            return;
        AddMissingProgressControls();
        TrayIcon = {};
        TrayIcon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        TrayIcon.hWnd = dialog;
        TrayIcon.uFlags = NIF_ICON | NIF_TIP;
        TrayIcon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
        lstrcpynA(TrayIcon.szTip, "Tonvelka is idle", sizeof(TrayIcon.szTip));
        Shell_NotifyIconA(NIM_ADD, &TrayIcon);
    }

    static void TearDownTestSuite()
    {
        Shell_NotifyIconA(NIM_DELETE, &TrayIcon);
        TrayIcon = {};
        MainDialog = nullptr;
        if (dialog != nullptr)
            DestroyWindow(dialog);
        dialog = nullptr;
        DropMessages();
    }

    // Every case starts from the idle look, as after the program's start.
    void SetUp() override
    {
        ASSERT_NE(dialog, nullptr);
        MainDialog = dialog;
        for (int id : RowTexts)
            SetDlgItemTextA(dialog, id, "");
        for (int id : StatisticsTexts)
            SetDlgItemTextA(dialog, id, "");
        for (int id : Bars) {
            SendDlgItemMessageA(dialog, id, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
            SendDlgItemMessageA(dialog, id, PBM_SETPOS, 0, 0);
        }
        SetTrayTooltip("Tonvelka is idle");
        // These cases are about what is shown, not how often: every message
        // refreshes at once.
        SetProgressRefreshInterval(0);
        BatchStatistics = {};
    }

    void TearDown() override
    {
        DropMessages();
        DiscardPendingProgress();
    }

    static void DropMessages()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // The controls come from the main window's template; where the template
    // does not have them yet, plain ones with the same identifiers stand in.
    static void AddMissingProgressControls()
    {
        int y = 0;
        auto add = [&](const char* windowClass, int id) {
            if (GetDlgItem(dialog, id) == nullptr)
                CreateWindowExA(0, windowClass, "", WS_CHILD | WS_VISIBLE, 0, y, 300, 16, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                nullptr);
            y += 16;
        };
        for (int id : RowTexts)
            add("STATIC", id);
        for (int id : StatisticsTexts)
            add("STATIC", id);
        for (int id : Bars)
            add(PROGRESS_CLASSA, id);
    }

    std::string Text(int id) const
    {
        char text[256] = "";
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }

    int Position(int id) const
    {
        return static_cast<int>(SendDlgItemMessageA(dialog, id, PBM_GETPOS, 0, 0));
    }

    int RangeTop(int id) const
    {
        return static_cast<int>(SendDlgItemMessageA(dialog, id, PBM_GETRANGE, FALSE, 0));
    }

    // Handles the messages waiting for this thread; counts the progress
    // messages among them.
    int HandleMessages(const std::function<void()>& afterProgress = nullptr)
    {
        int progressMessages = 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (message.message == WM_APP_PROGRESS) {
                ++progressMessages;
                if (afterProgress)
                    afterProgress();
            }
        }
        return progressMessages;
    }

    // Runs work as the conversion worker on a thread of its own. This thread
    // handles the window's messages while the worker runs or after it has
    // ended, until no progress message is left; or leaves them waiting. The
    // worker never waits for this thread, so joining it cannot hang. Returns
    // the number of progress messages handled.
    int RunWorker(const std::function<void()>& work, Pumping pumping = Pumping::WhileWorking,
                  const std::function<void()>& afterProgress = nullptr)
    {
        HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread worker([&] {
            work();
            SetEvent(ended);
        });
        int progressMessages = 0;
        if (pumping == Pumping::WhileWorking) {
            for (;;) {
                progressMessages += HandleMessages(afterProgress);
                if (MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
                    break;
            }
        }
        worker.join();
        CloseHandle(ended);
        if (pumping == Pumping::Later)
            return 0;
        return progressMessages + HandleMessages(afterProgress);
    }

    // A batch of two files of 2000 bytes whose first file has been converted
    // in two blocks, each to a quarter of its source size.
    static void ConvertFirstFile()
    {
        BatchStatistics.TotalBytes = 4000;
        BatchStatistics.MarkedFiles = 2;
        ResetProgressForBatch();
        BatchStatistics.FilesStarted = 1;
        StartFileProgress(2000);
        UpdateProgress(500, 125, 500, 2000);
        UpdateProgress(1500, 375, 2000, 2000);
    }

    static HWND dialog;
};

HWND ProgressDisplay::dialog = nullptr;

TEST_F(ProgressDisplay, RowsShowTheLastBlockOfAFile)
{
    RunWorker(ConvertFirstFile);

    EXPECT_EQ(RangeTop(IDC_TOTAL_PROGRESS), 10000);
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 5000);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "2000");
    EXPECT_EQ(Text(IDC_TOTAL_MARK), "of");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_MID), "4000 Bytes converted.");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "50.00 %");
    EXPECT_EQ(RangeTop(IDC_FILE_PROGRESS), 10000);
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 10000);
    EXPECT_EQ(Text(IDC_FILE_TEXT_LEFT), "2000");
    EXPECT_EQ(Text(IDC_FILE_MARK), "of");
    EXPECT_EQ(Text(IDC_FILE_TEXT_MID), "2000 Bytes converted.");
    EXPECT_EQ(Text(IDC_FILE_TEXT_RIGHT), "100.00 %");
    EXPECT_EQ(Text(IDC_AVG_COMPRESSION), "25.00 %");
    EXPECT_EQ(Text(IDC_CUR_COMPRESSION), "25.00 %");

    // Half of the batch is done, so the time left equals the time elapsed,
    // whatever the clock said.
    const std::string elapsed = Text(IDC_ELAPSED_TIME);
    ASSERT_EQ(elapsed.size(), 8u);
    const std::string estimated = Text(IDC_ESTIMATED_TIME);
    EXPECT_EQ(estimated.substr(8), " (" + elapsed + " left)");
    EXPECT_STREQ(TrayIcon.szTip, ("50.00 % converted (" + elapsed + " left)").c_str());
}

TEST_F(ProgressDisplay, NextFileStartsWithAnEmptyBatchRowUntilItsFirstBlock)
{
    RunWorker([] {
        ConvertFirstFile();
        ClearProgressRows();
        BatchStatistics.FilesStarted = 2;
        StartFileProgress(2000);
    });
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 0);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "");
    EXPECT_EQ(Text(IDC_TOTAL_MARK), "of");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_MID), "4000 Bytes converted.");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "");
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 0);
    EXPECT_EQ(Text(IDC_FILE_TEXT_MID), "2000 Bytes converted.");
    EXPECT_EQ(Text(IDC_FILE_TEXT_RIGHT), "");

    RunWorker([] { UpdateProgress(1000, 250, 1000, 2000); });
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 7500);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "3000");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "75.00 %");
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 5000);
    EXPECT_EQ(Text(IDC_FILE_TEXT_RIGHT), "50.00 %");
}

TEST_F(ProgressDisplay, TooltipTellsIdleUntilTheFirstBlock)
{
    RunWorker([] {
        BatchStatistics.TotalBytes = 4000;
        ResetProgressForBatch();
        StartFileProgress(2000);
    });
    EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
    EXPECT_EQ(Text(IDC_FILE_MARK), "of");

    RunWorker([] { UpdateProgress(1000, 1000, 1000, 2000); });
    EXPECT_EQ(std::string(TrayIcon.szTip).substr(0, 19), "25.00 % converted (");
}

TEST_F(ProgressDisplay, ClearedRowsKeepCompressionsAndTimes)
{
    RunWorker(ConvertFirstFile);
    const std::string elapsed = Text(IDC_ELAPSED_TIME);
    const std::string estimated = Text(IDC_ESTIMATED_TIME);
    const std::string tooltip = TrayIcon.szTip;
    ASSERT_NE(elapsed, "");

    RunWorker(ClearProgressRows);
    for (int id : RowTexts)
        EXPECT_EQ(Text(id), "") << "control " << id;
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 0);
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 0);
    EXPECT_EQ(Text(IDC_AVG_COMPRESSION), "25.00 %");
    EXPECT_EQ(Text(IDC_CUR_COMPRESSION), "25.00 %");
    EXPECT_EQ(Text(IDC_ELAPSED_TIME), elapsed);
    EXPECT_EQ(Text(IDC_ESTIMATED_TIME), estimated);
    EXPECT_EQ(TrayIcon.szTip, tooltip);
}

TEST_F(ProgressDisplay, ManyUpdatesCoalesceIntoTheLastOne)
{
    constexpr DWORD Blocks = 10000;
    auto convert = [] {
        BatchStatistics.TotalBytes = 2 * Blocks;
        ResetProgressForBatch();
        StartFileProgress(2 * Blocks);
        for (DWORD done = 1; done <= Blocks; ++done)
            UpdateProgress(1, 1, done, 2 * Blocks);
    };

    // A window too busy to look while the worker runs: one message announces
    // all of it, and the window shows the last block.
    EXPECT_EQ(RunWorker(convert, Pumping::AfterWorking), 1);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "10000");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "50.00 %");
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 5000);
    EXPECT_EQ(Text(IDC_FILE_TEXT_LEFT), "10000");
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 5000);

    // A window that looks all the time: every figure it shows on the way
    // belongs to one block, and it ends at the last one.
    int torn = 0;
    const int messages = RunWorker(convert, Pumping::WhileWorking, [&] {
        const std::string done = Text(IDC_TOTAL_TEXT_LEFT);
        if (done != Text(IDC_FILE_TEXT_LEFT) || Text(IDC_TOTAL_TEXT_RIGHT) != Text(IDC_FILE_TEXT_RIGHT) ||
            Position(IDC_TOTAL_PROGRESS) != Position(IDC_FILE_PROGRESS))
            ++torn;
    });
    EXPECT_GE(messages, 1);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "10000");
    EXPECT_EQ(Text(IDC_FILE_TEXT_RIGHT), "50.00 %");
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 5000);
}

TEST_F(ProgressDisplay, UnchangedTextsAreNotSentAgain)
{
    RunWorker(ConvertFirstFile);
    HWND average = GetDlgItem(dialog, IDC_AVG_COMPRESSION);
    CountedProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(average, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountSetText)));
    SetTextCount = 0;

    // Another block at the same compression: the batch bytes change, the
    // average does not.
    RunWorker([] { UpdateProgress(100, 25, 2000, 2000); });
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "2100");
    EXPECT_EQ(Text(IDC_AVG_COMPRESSION), "25.00 %");
    EXPECT_EQ(SetTextCount, 0);

    RunWorker([] { UpdateProgress(100, 100, 2000, 2000); });
    EXPECT_EQ(Text(IDC_AVG_COMPRESSION), "28.40 %");
    EXPECT_EQ(SetTextCount, 1);

    SetWindowLongPtrA(average, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountedProcedure));
}

TEST_F(ProgressDisplay, DiscardedFiguresNeverOverwriteTheIdleLook)
{
    // The worker's last figures are still waiting when it ends; the window
    // returns to its idle look before it finds their message.
    auto restoreIdleLook = [this] {
        SendDlgItemMessageA(dialog, IDC_TOTAL_PROGRESS, PBM_SETPOS, 0, 0);
        SendDlgItemMessageA(dialog, IDC_FILE_PROGRESS, PBM_SETPOS, 0, 0);
        for (int id : RowTexts)
            SetDlgItemTextA(dialog, id, "");
        for (int id : StatisticsTexts)
            SetDlgItemTextA(dialog, id, "");
        SetTrayTooltip("Tonvelka is idle");
    };
    RunWorker(ConvertFirstFile);

    // Left alone, the late message brings the stale figures back.
    RunWorker([] { UpdateProgress(1000, 500, 1000, 2000); }, Pumping::Later);
    restoreIdleLook();
    EXPECT_EQ(HandleMessages(), 1);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "75.00 %");

    RunWorker([] { UpdateProgress(1000, 500, 2000, 2000); }, Pumping::Later);
    restoreIdleLook();
    DiscardPendingProgress();
    EXPECT_EQ(HandleMessages(), 1);
    for (int id : RowTexts)
        EXPECT_EQ(Text(id), "") << "control " << id;
    for (int id : StatisticsTexts)
        EXPECT_EQ(Text(id), "") << "control " << id;
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 0);
    EXPECT_EQ(Position(IDC_FILE_PROGRESS), 0);
    EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
}

TEST_F(ProgressDisplay, BatchAboveFourGibibytesShowsItsTruePercentage)
{
    RunWorker([] {
        BatchStatistics.TotalBytes = 6000000000ull;
        ResetProgressForBatch();
        BatchStatistics.ConsumedBytes = 5000000000ull - 16384;
        StartFileProgress(100000);
        UpdateProgress(16384, 4096, 16384, 100000);
    });
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "83.33 %");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_LEFT), "5000000000");
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_MID), "6000000000 Bytes converted.");
    EXPECT_EQ(Position(IDC_TOTAL_PROGRESS), 8333);
    EXPECT_EQ(std::string(TrayIcon.szTip).substr(0, 19), "83.33 % converted (");
}

TEST_F(ProgressDisplay, WithoutAWindowFiguresAreComputedButNotPosted)
{
    MainDialog = nullptr;
    EXPECT_EQ(RunWorker(ConvertFirstFile), 0);
    EXPECT_EQ(BatchStatistics.ConsumedBytes, 2000u);
    EXPECT_DOUBLE_EQ(BatchStatistics.AverageRatio, 0.25);
    EXPECT_EQ(Text(IDC_TOTAL_TEXT_RIGHT), "");
}

}  // namespace

TEST_F(ProgressDisplay, RefreshesAtMostTenTimesASecondAndEndWithTheLastFigures)
{
    SetProgressRefreshInterval(DefaultProgressRefreshInterval);
    BatchStatistics.TotalBytes = 1000000000;
    ResetProgressForBatch();
    constexpr DWORD Duration = 400;
    DWORD last = 0;
    const int messages = RunWorker([&] {
        StartFileProgress(1000000000);
        DWORD start = GetTickCount();
        for (DWORD done = 1000; GetTickCount() - start < Duration; done += 1000) {
            UpdateProgress(1000, 250, done, 1000000000);
            last = done;
        }
    });
    // The refresh that had to wait comes with its timer.
    DWORD waitStart = GetTickCount();
    while (GetTickCount() - waitStart < 4 * DefaultProgressRefreshInterval) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        HandleMessages();
    }
    EXPECT_LE(messages, int(Duration / DefaultProgressRefreshInterval) + 3);
    EXPECT_EQ(Text(IDC_FILE_TEXT_LEFT), std::to_string(last));
}
