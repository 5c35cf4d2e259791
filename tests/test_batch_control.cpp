// The window's side of a batch: Convert, Stop and Continue, the window's two
// sizes and the tray tooltip, and ending a batch when the window or the
// logon ends; then batches that meet full disks, unwritable folders and
// sources that changed. No source may change.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <random>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/convert_file.h"
#include "engine/progress.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/tray_icon.h"

namespace {

const Bytes Pcm8k = PcmFormat(1, 8000, 16);
const char StopQuestion[] =
    "Do you want to abort the conversion process ? If you answer NO, the conversion will only be suspended.";
const char CloseQuestion[] = "The conversion process is still running. Do you want to abort the conversion ?";

class Batch : public testing::Test {
protected:
    // GSM 6.10 is the slowest codec: 16 MB of source take it about a second.
    static void SetUpTestSuite()
    {
        shared = new ScratchFolder;
        WriteWholeFile(shared->File("long.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 1000, 440)));
        sourceBytes = new Bytes(ReadWholeFile(shared->File("long.wav")));
    }
    static void TearDownTestSuite()
    {
        delete shared;
        delete sourceBytes;
    }
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, out_.Path().c_str(), sizeof(Settings.DestinationPath));
        window_ = CreateBatchWindow();
        gsm_ = SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610);
        ulaw_ = SuggestFormat(Pcm8k, WAVE_FORMAT_MULAW);
        source_ = shared->File("long.wav");
        destination_ = out_.File("long.wav");
    }
    void TearDown() override
    {
        if (IsWindow(window_)) {
            recorder_.SetAnswer(IDYES);
            SendMessageA(window_, WM_CLOSE, 0, 0);
        }
        PumpFor(10);
        EXPECT_FALSE(IsConversionActive());
        EXPECT_TRUE(ReadWholeFile(source_) == *sourceBytes) << "the source changed";
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE; }
    RECT Rect() const
    {
        RECT rect;
        GetWindowRect(window_, &rect);
        return rect;
    }
    bool WaitForAudio() const { return PumpUntil([&] { return FileSize(destination_) > 100000; }, 30000); }
    bool WaitForIdle() const { return PumpUntil([] { return !IsConversionActive(); }); }
    std::string Tone(const std::string& name, uint32_t frames = 8000)
    {
        WriteWholeFile(in_.File(name), PcmWave(1, 8000, SineSamples(8000, 1, frames, 440)));
        return in_.File(name);
    }

    static ScratchFolder* shared;
    static Bytes* sourceBytes;
    ScratchFolder in_, out_;
    HWND window_ = nullptr;
    Bytes gsm_, ulaw_;
    std::string source_, destination_;
    MessageRecorder recorder_{IDNO};
};
ScratchFolder* Batch::shared = nullptr;
Bytes* Batch::sourceBytes = nullptr;

const int SavedControls[] = {IDC_SETTINGS, IDC_FILE_LIST, IDC_ADD_FILES, IDC_REMOVE_FILE, IDC_DESTINATION, IDC_SELECT_FORMAT};

}  // namespace

TEST_F(Batch, ConvertLocksTheRowsGrowsTheWindowAndStopYesGivesEverythingBack)
{
    AddBatchRow(window_, source_, gsm_);
    AddBatchRow(window_, Tone("z-later.wav"), gsm_);
    EnableWindow(GetDlgItem(window_, IDC_SELECT_FORMAT), TRUE);
    RECT idle = Rect(), units = {0, 0, 396, 366};
    MapDialogRect(window_, &units);
    Press(window_, IDC_CONVERT);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    for (int id : SavedControls)
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_CONVERT, IDC_PLAY, IDC_STOP_PLAY})
        EXPECT_TRUE(Enabled(id)) << id;
    RECT client;
    ASSERT_TRUE(PumpUntil([&] { return GetClientRect(window_, &client) && client.bottom == units.bottom; }, 10000));
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(Rect().left, idle.left);
    EXPECT_EQ(Rect().top, idle.top);
    ASSERT_TRUE(PumpUntil([] { return strstr(TrayIcon.szTip, "% converted (") != nullptr; }, 10000)) << TrayIcon.szTip;
    ASSERT_TRUE(WaitForAudio());

    recorder_.SetAnswer(IDYES);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    ASSERT_EQ(recorder_.Messages().size(), 1u);
    EXPECT_EQ(recorder_.Messages()[0].Text, StopQuestion);
    EXPECT_EQ(recorder_.Messages()[0].Title, "Question");
    EXPECT_EQ(recorder_.Messages()[0].Style, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    for (int id : SavedControls)
        EXPECT_EQ(Enabled(id), id != IDC_REMOVE_FILE) << id;
    EXPECT_EQ(Rect().bottom - Rect().top, idle.bottom - idle.top);
    EXPECT_EQ(Rect().right - Rect().left, idle.right - idle.left);
    EXPECT_EQ(Rect().top, idle.top);
    EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
    for (int id : {IDC_TOTAL_TEXT_LEFT, IDC_TOTAL_MARK, IDC_TOTAL_TEXT_MID, IDC_TOTAL_TEXT_RIGHT, IDC_FILE_TEXT_LEFT, IDC_FILE_MARK,
                   IDC_FILE_TEXT_MID, IDC_FILE_TEXT_RIGHT, IDC_CONVERT_INFO, IDC_CUR_COMPRESSION, IDC_AVG_COMPRESSION,
                   IDC_ELAPSED_TIME, IDC_ESTIMATED_TIME})
        EXPECT_EQ(ControlText(window_, id), "") << id;
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_TOTAL_PROGRESS, PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(HasPlaceholders(destination_));
    EXPECT_FALSE(FileExists(out_.File("z-later.wav")));
}

TEST_F(Batch, StopNoHoldsTheWorkerUntilContinueAndStandstillsChangeNoByte)
{
    std::string reference = out_.File("reference.wav");
    BatchStatistics.TotalBytes = 1;
    HWND window = MainDialog;
    MainDialog = nullptr;
    ASSERT_EQ(ConvertFile(source_.c_str(), Pcm8k.data(), 16, reference.c_str(), gsm_.data(), DWORD(gsm_.size())), Converted);
    MainDialog = window;

    AddBatchRow(window_, source_, gsm_);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    Press(window_, IDC_CONVERT);
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{StopQuestion});
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Continue");
    EXPECT_EQ(Conversion.State.load(), ConversionSuspended);
    // It stands still at its next look, within one block.
    PumpFor(100);
    uint64_t standing = FileSize(destination_);
    PumpFor(700);
    EXPECT_EQ(FileSize(destination_), standing);
    Press(window_, IDC_CONVERT);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    EXPECT_EQ(Conversion.State.load(), ConversionRunning);
    int cycles = 0;
    for (; cycles < 40 && IsConversionActive(); ++cycles) {
        Press(window_, IDC_CONVERT);  // Stop, answered No
        PumpFor(1);
        Press(window_, IDC_CONVERT);  // Continue
        PumpFor(1);
    }
    EXPECT_EQ(cycles, 40) << "the batch ended before the cycles did";
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(FinishedAudio(destination_).empty());
    EXPECT_TRUE(FinishedAudio(destination_) == FinishedAudio(reference));
}

TEST_F(Batch, ClosingDuringARunningOrSuspendedBatchAsksAndYesEndsItAtOnce)
{
    for (bool suspended : {false, true}) {
        SCOPED_TRACE(suspended ? "suspended" : "running");
        if (!IsWindow(window_))
            window_ = CreateBatchWindow();
        recorder_.Clear();
        recorder_.SetAnswer(IDNO);
        AddBatchRow(window_, source_, gsm_);
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(WaitForAudio());
        if (suspended)
            Press(window_, IDC_CONVERT);
        SendMessageA(window_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(IsWindow(window_));
        EXPECT_TRUE(IsConversionActive());
        EXPECT_EQ(ControlText(window_, IDC_CONVERT), suspended ? "Continue" : "Stop");

        recorder_.SetAnswer(IDYES);
        DWORD start = GetTickCount();
        SendMessageA(window_, WM_CLOSE, 0, 0);
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_FALSE(IsConversionActive());
        EXPECT_TRUE(HasPlaceholders(destination_));
        EXPECT_EQ(recorder_.Messages().back().Text, CloseQuestion);
        EXPECT_EQ(recorder_.Messages().back().Style, UINT(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2));
    }
}

TEST_F(Batch, TheEndOfALogonAsksDuringABatchAndSavesTheSettings)
{
    AddBatchRow(window_, source_, gsm_);
    Press(window_, IDC_CONVERT);
    ShowWindow(window_, SW_HIDE);
    EXPECT_EQ(SendMessageA(window_, WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(IsConversionActive());
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{CloseQuestion});
    recorder_.SetAnswer(IDYES);
    EXPECT_EQ(SendMessageA(window_, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_FALSE(IsConversionActive());
    EXPECT_TRUE(HasPlaceholders(destination_));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tonvelka");
    SendMessageA(window_, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(window_));
    HKEY key = nullptr;
    DWORD type = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tonvelka", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "LowQuality", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    RegCloseKey(key);
}

TEST_F(Batch, AHiddenWindowStaysHiddenAndAPreviewPlaysMeanwhile)
{
    WriteWholeFile(out_.File("clip.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 60, 440)));
    AddBatchRow(window_, source_, gsm_);
    AddBatchRow(window_, out_.File("clip.wav"));
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    // The list is disabled for the batch, but its selection still counts.
    SelectRows(window_, {0});
    Press(window_, IDC_PLAY);
    EXPECT_EQ(Preview.PreviewState, PreviewPlaying);
    Press(window_, IDC_PLAY);
    EXPECT_EQ(Preview.PreviewState, PreviewPaused);
    Press(window_, IDC_STOP_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, 0u);
    SendMessageA(window_, WM_NCLBUTTONDOWN, HTMINBUTTON, 0);  // the minimize box hides to the tray
    EXPECT_FALSE(IsWindowVisible(window_));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(IsWindowVisible(window_));
    SendMessageA(window_, TrayIcon.uCallbackMessage, 0, WM_RBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window_));
    SendMessageA(window_, TrayIcon.uCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(recorder_.Texts().empty());
}

// Folders the test script mounted: one that fills up at once, one that
// cannot be written.
TEST_F(Batch, FullDisksAndFoldersThatCannotBeWrittenStopTheBatch)
{
    AddBatchRow(window_, Tone("a.wav", 8000 * 200), ulaw_);  // 1.6 MB of u-law
    AddBatchRow(window_, Tone("b.wav"), ulaw_);
    for (const char* variable : {"", "TONVELKA_FULL_FOLDER", "TONVELKA_READONLY_FOLDER"}) {
        SCOPED_TRACE(variable);
        char folder[MAX_PATH] = "Z:";
        if (*variable != '\0' && GetEnvironmentVariableA(variable, folder + 2, MAX_PATH - 2) == 0) {
            ADD_FAILURE() << "not mounted for this run";
            continue;
        }
        for (char* c = folder; *c; ++c)
            *c = *c == '/' ? '\\' : *c;
        std::string path = *variable != '\0' ? folder : out_.File("no such folder");
        lstrcpynA(Settings.DestinationPath, path.c_str(), sizeof(Settings.DestinationPath));
        recorder_.Clear();
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to convert audio file."});
        EXPECT_FALSE(FileExists(path + "\\b.wav"));
        EXPECT_TRUE(*variable == 'T' && variable[9] == 'F' ? HasPlaceholders(path + "\\a.wav") : !FileExists(path + "\\a.wav"));
        DeleteFileA((path + "\\a.wav").c_str());
    }
}

TEST_F(Batch, SourcesThatChangedSinceTheyWereAdded)
{
    auto run = [&](std::function<void()> between, const char* message) {
        recorder_.Clear();
        between();
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(recorder_.Texts(), message != nullptr ? std::vector<std::string>{message} : std::vector<std::string>{});
        ClearBatchRows(window_);
    };
    const char* unmeasured = "Unable to calculate size of all files marked for conversion.";
    AddBatchRow(window_, Tone("gone.wav"), ulaw_);
    run([&] { DeleteFileA(in_.File("gone.wav").c_str()); }, unmeasured);
    // Held by another writer: it cannot be opened with writing denied.
    AddBatchRow(window_, Tone("locked.wav"), ulaw_);
    HANDLE lock = CreateFileA(in_.File("locked.wav").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    run([] {}, unmeasured);
    CloseHandle(lock);
    // Shortened: what is left converts into a valid file.
    AddBatchRow(window_, Tone("short.wav"), ulaw_);
    run([&] { WriteWholeFile(in_.File("short.wav"), Bytes(PcmWave(1, 8000, SineSamples(8000, 1, 1500, 440)))); }, nullptr);
    EXPECT_EQ(FinishedAudio(out_.File("short.wav")).size(), 1500u);
    // Grown four times while the batch runs: all of it converts, past 100 %.
    AddBatchRow(window_, source_, gsm_);
    AddBatchRow(window_, Tone("z.wav"), ulaw_);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    WriteWholeFile(in_.File("z.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 32000, 440)));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(FinishedAudio(out_.File("z.wav")).size(), 32000u);
    EXPECT_GT(BatchStatistics.ConsumedBytes, BatchStatistics.TotalBytes);
}

TEST_F(Batch, ClosingAtAnyMomentNeverHangs)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        if (!IsWindow(window_))
            window_ = CreateBatchWindow();
        recorder_.SetAnswer(IDNO);
        AddBatchRow(window_, source_, gsm_);
        Press(window_, IDC_CONVERT);
        PumpFor(random() % 300);
        if (round % 3 == 1 && IsConversionActive())
            Press(window_, IDC_CONVERT);  // Stop, No: suspended
        recorder_.SetAnswer(IDYES);
        if (round % 2 == 0)
            SendMessageA(window_, WM_CLOSE, 0, 0);
        else if (SendMessageA(window_, WM_QUERYENDSESSION, 0, 0))
            SendMessageA(window_, WM_ENDSESSION, TRUE, 0);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_FALSE(IsConversionActive());
    }
    // While the worker's failure message waits for its reader.
    window_ = CreateBatchWindow();
    Bytes adpcm = Join({Bytes{2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 16, 0, 0, 0, 1, 4, 0, 32, 0, 0xF4, 1, 7, 0}, Bytes(28, 0)});
    AddBatchRow(window_, Tone("a.wav"), ulaw_);
    AddBatchRow(window_, Tone("b.wav"), adpcm);
    std::atomic<bool> showing = false;
    recorder_.SetResponder([&](const ShownMessage&) {
        showing = true;
        Sleep(300);
        return IDYES;
    });
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([&] { return showing.load(); }));
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_FALSE(IsConversionActive());
}
