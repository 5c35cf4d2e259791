// The Convert / Stop / Continue button, the window's two sizes, the tray
// tooltip during a batch, and ending a batch when the window goes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/convert_file.h"
#include "engine/progress.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/modal_driver.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/tray_icon.h"
#include "ui/window_size.h"

namespace {

const Bytes Pcm8k = PcmFormat(1, 8000, 16);
const int SavedControls[] = {IDC_SETTINGS, IDC_FILE_LIST, IDC_ADD_FILES,
                             IDC_REMOVE_FILE, IDC_DESTINATION, IDC_SELECT_FORMAT};

// A long source: GSM 6.10 is the slowest codec, so its conversion lasts.
const std::string& LongSource(const ScratchFolder& folder)
{
    static std::string path;
    if (path.empty()) {
        path = folder.File("long.wav");
        WriteWholeFile(path, PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 4000, 440)));
    }
    return path;
}

class Control : public testing::Test {
protected:
    static void SetUpTestSuite() { shared = new ScratchFolder(); }
    static void TearDownTestSuite()
    {
        delete shared;
        shared = nullptr;
    }

    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, output_.Path().c_str(), sizeof(Settings.DestinationPath));
        window_ = CreateBatchWindow();
        ASSERT_NE(window_, nullptr);
        gsm_ = SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610);
        ASSERT_FALSE(gsm_.empty());
        source_ = LongSource(*shared);
        sourceBytes_ = ReadWholeFile(source_);
        destination_ = output_.File("long.wav");
    }
    void TearDown() override
    {
        if (IsWindow(window_)) {
            recorder_.SetAnswer(IDYES);
            SendMessageA(window_, WM_CLOSE, 0, 0);
        }
        PumpFor(10);
        EXPECT_FALSE(IsConversionActive());
        EXPECT_EQ(ReadWholeFile(source_), sourceBytes_) << "the source changed";
    }

    void Press(int id) { SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE; }
    SIZE WindowSize() const
    {
        RECT rect;
        GetWindowRect(window_, &rect);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }
    POINT Corner() const
    {
        RECT rect;
        GetWindowRect(window_, &rect);
        return {rect.left, rect.top};
    }
    // Waits until the destination has grown past its header.
    bool WaitForAudio() const
    {
        return PumpUntil([&] { return FileSize(destination_) > 100000; }, 30000);
    }
    bool WaitForIdle() const { return PumpUntil([] { return !IsConversionActive(); }); }

    static ScratchFolder* shared;
    ScratchFolder output_;
    HWND window_ = nullptr;
    Bytes gsm_;
    std::string source_, destination_;
    Bytes sourceBytes_;
    MessageRecorder recorder_{IDNO};
};
ScratchFolder* Control::shared = nullptr;

}  // namespace

TEST_F(Control, ConvertDisablesSixControlsAndTheEndGivesBackTheirStates)
{
    AddBatchRow(window_, LongSource(*shared), PcmFormat(1, 8000, 8));
    // Remove File starts disabled (nothing selected), the rest enabled.
    EnableWindow(GetDlgItem(window_, IDC_SELECT_FORMAT), TRUE);
    EnableWindow(GetDlgItem(window_, IDC_REMOVE_FILE), FALSE);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "&Convert");

    Press(IDC_CONVERT);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    for (int id : SavedControls)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDC_CONVERT));
    EXPECT_TRUE(Enabled(IDC_PLAY));
    EXPECT_TRUE(Enabled(IDC_STOP_PLAY));
    // Drops are refused and the machine kept awake while the batch runs. A
    // call without ES_CONTINUOUS changes nothing and tells the state.
    auto acceptsDrops = [&] { return (GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
    EXPECT_FALSE(acceptsDrops());
    EXPECT_EQ(SetThreadExecutionState(ES_SYSTEM_REQUIRED), EXECUTION_STATE(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
    ASSERT_TRUE(WaitForIdle());

    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    for (int id : SavedControls)
        EXPECT_EQ(Enabled(id), id != IDC_REMOVE_FILE) << id;
    EXPECT_TRUE(acceptsDrops());
    EXPECT_EQ(SetThreadExecutionState(ES_SYSTEM_REQUIRED), EXECUTION_STATE(ES_CONTINUOUS));
    EXPECT_TRUE(recorder_.Messages().empty());
}

TEST_F(Control, TheWindowGrowsForTheBatchAndShrinksAfterItInPlace)
{
    SIZE idle = MainWindowSizeFor(window_, MainClientWidthUnits, IdleClientHeightUnits);
    SIZE converting = MainWindowSizeFor(window_, MainClientWidthUnits, ConversionClientHeightUnits);
    RECT client;
    GetClientRect(window_, &client);
    RECT units = {0, 0, 396, 251};
    MapDialogRect(window_, &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    EXPECT_GT(converting.cy, idle.cy);

    POINT corner = Corner();
    AddBatchRow(window_, source_, gsm_);
    Press(IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([&] { return WindowSize().cy == converting.cy; }, 10000));
    EXPECT_EQ(WindowSize().cx, converting.cx);
    EXPECT_EQ(Corner().x, corner.x);
    EXPECT_EQ(Corner().y, corner.y);

    // The tooltip tells the progress while the batch runs.
    ASSERT_TRUE(PumpUntil([] { return strstr(TrayIcon.szTip, "% converted (") != nullptr; }, 10000));
    recorder_.SetAnswer(IDYES);
    Press(IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(WindowSize().cx, idle.cx);
    EXPECT_EQ(WindowSize().cy, idle.cy);
    EXPECT_EQ(Corner().x, corner.x);
    EXPECT_EQ(Corner().y, corner.y);
    EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
    for (int id : {IDC_TOTAL_TEXT_LEFT, IDC_TOTAL_MARK, IDC_TOTAL_TEXT_MID, IDC_TOTAL_TEXT_RIGHT, IDC_FILE_TEXT_LEFT,
                   IDC_FILE_MARK, IDC_FILE_TEXT_MID, IDC_FILE_TEXT_RIGHT, IDC_CONVERT_INFO, IDC_CUR_COMPRESSION,
                   IDC_AVG_COMPRESSION, IDC_ELAPSED_TIME, IDC_ESTIMATED_TIME})
        EXPECT_EQ(ControlText(window_, id), "") << id;
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_TOTAL_PROGRESS, PBM_GETPOS, 0, 0), 0);
}

TEST_F(Control, StopAndNoHoldTheBatchUntilContinue)
{
    AddBatchRow(window_, source_, gsm_);
    Press(IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());

    Press(IDC_CONVERT);
    auto shown = recorder_.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text,
              "Do you want to abort the conversion process ? If you answer NO, the conversion will only be suspended.");
    EXPECT_EQ(shown[0].Title, "Question");
    EXPECT_EQ(shown[0].Style, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Continue");
    EXPECT_EQ(Conversion.State.load(), ConversionSuspended);

    // The worker stands still at its next look, within one block.
    PumpFor(100);
    uint64_t standing = FileSize(destination_);
    PumpFor(1000);
    EXPECT_EQ(FileSize(destination_), standing);

    Press(IDC_CONVERT);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    EXPECT_EQ(Conversion.State.load(), ConversionRunning);
    ASSERT_TRUE(PumpUntil([&] { return FileSize(destination_) > standing; }, 10000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(recorder_.Messages().size(), 1u);
    EXPECT_FALSE(FinishedAudio(destination_).empty());
}

TEST_F(Control, StopAndYesAbortTheFileAndTheRest)
{
    AddBatchRow(window_, source_, gsm_);
    std::string later = output_.File("zlater.wav");
    WriteWholeFile(shared->File("zlater.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 8000, 440)));
    AddBatchRow(window_, shared->File("zlater.wav"), gsm_);
    Press(IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    recorder_.SetAnswer(IDYES);
    Press(IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(HasPlaceholders(destination_));
    EXPECT_FALSE(FileExists(later));
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    EXPECT_EQ(recorder_.Messages().size(), 1u);
}

TEST_F(Control, AWindowHiddenDuringTheBatchStaysHidden)
{
    AddBatchRow(window_, source_, PcmFormat(1, 8000, 8));
    Press(IDC_CONVERT);
    ShowWindow(window_, SW_HIDE);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(IsWindowVisible(window_));
    SIZE idle = MainWindowSizeFor(window_, MainClientWidthUnits, IdleClientHeightUnits);
    EXPECT_EQ(WindowSize().cy, idle.cy);
    // A click on the tray icon brings it back.
    SendMessageA(window_, TrayIcon.uCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(Control, ClosingDuringARunningOrSuspendedBatchEndsItAtOnce)
{
    for (bool suspended : {false, true}) {
        SCOPED_TRACE(suspended ? "suspended" : "running");
        if (!IsWindow(window_))
            window_ = CreateBatchWindow();
        recorder_.Clear();
        recorder_.SetAnswer(IDNO);
        AddBatchRow(window_, source_, gsm_);
        Press(IDC_CONVERT);
        ASSERT_TRUE(WaitForAudio());
        if (suspended)
            Press(IDC_CONVERT);

        // No keeps the batch, and a suspended one stays suspended.
        SendMessageA(window_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(IsWindow(window_));
        EXPECT_TRUE(IsConversionActive());
        EXPECT_EQ(ControlText(window_, IDC_CONVERT), suspended ? "Continue" : "Stop");

        recorder_.SetAnswer(IDYES);
        DWORD start = GetTickCount();
        SendMessageA(window_, WM_CLOSE, 0, 0);
        DWORD took = GetTickCount() - start;
        EXPECT_LT(took, 1000u);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_FALSE(IsConversionActive());
        EXPECT_EQ(Conversion.AbortEvent, nullptr);
        EXPECT_TRUE(HasPlaceholders(destination_));
        auto shown = recorder_.Messages();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().Text,
                  "The conversion process is still running. Do you want to abort the conversion ?");
        EXPECT_EQ(shown.back().Title, "Warning");
        EXPECT_EQ(shown.back().Style, UINT(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2));
        PumpFor(10);
    }
}

TEST_F(Control, TwoHundredStandstillsLeaveTheSameAudioAsNone)
{
    std::string reference = output_.File("reference.wav");
    Bytes sourceFormat = Pcm8k;
    BatchStatistics = {};
    BatchStatistics.TotalBytes = 1;
    HWND saved = MainDialog;
    MainDialog = nullptr;
    ASSERT_EQ(ConvertFile(source_.c_str(), sourceFormat.data(), DWORD(sourceFormat.size()), reference.c_str(),
                          gsm_.data(), DWORD(gsm_.size())),
              Converted);
    MainDialog = saved;

    AddBatchRow(window_, source_, gsm_);
    Press(IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    int cycles = 0;
    for (; cycles < 200 && IsConversionActive(); ++cycles) {
        Press(IDC_CONVERT);  // Stop, answered No
        PumpFor(1);
        Press(IDC_CONVERT);  // Continue
        PumpFor(1);
    }
    EXPECT_EQ(cycles, 200) << "the conversion ended before the cycles did";
    ASSERT_TRUE(WaitForIdle());
    Bytes converted = FinishedAudio(destination_);
    ASSERT_FALSE(converted.empty());
    EXPECT_TRUE(converted == FinishedAudio(reference));
}

TEST_F(Control, APreviewPlaysDuringABatch)
{
    std::string clip = output_.File("clip.wav");
    WriteWholeFile(clip, PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 60, 440)));
    AddBatchRow(window_, source_, gsm_);
    AddBatchRow(window_, clip);
    Press(IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    ASSERT_TRUE(Enabled(IDC_PLAY));

    // The list is disabled for the batch, but its selection still counts.
    HWND list = GetDlgItem(window_, IDC_FILE_LIST);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    Press(IDC_PLAY);
    EXPECT_EQ(Preview.PreviewState, PreviewPlaying);
    EXPECT_NE(Preview.PreviewDevice, 0u);
    Press(IDC_PLAY);
    EXPECT_EQ(Preview.PreviewState, PreviewPaused);
    Press(IDC_STOP_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, 0u);
    EXPECT_TRUE(IsConversionActive());
    EXPECT_TRUE(recorder_.Messages().empty());
}
