// The window's side of a batch: Convert, Stop and Continue, the window's two
// sizes and the tray tooltip, ending a batch when the window or the logon
// ends, and batches that meet full disks, unwritable folders and sources
// that changed; the list's context menu and the preview of a row in its
// destination format. No source may change.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include "settings/settings.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/batch_worker.h"
#include "engine/convert/convert_file.h"
#include "engine/batch/progress.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/resources.h"
#include "ui/tooltips.h"
#include "ui/tray_icon.h"
#include "win/user_prompts.h"

namespace {

const Bytes Pcm8k = PcmFormat(1, 8000, 16);
const char StopQuestion[] =
    "Do you want to abort the conversion process ? If you answer NO, the conversion will only be suspended.";
const char CloseQuestion[] = "The conversion process is still running. Do you want to abort the conversion ?";
const int SavedControls[] = {IDC_SETTINGS, IDC_FILE_LIST, IDC_ADD_FILES, IDC_REMOVE_FILE, IDC_DESTINATION, IDC_SELECT_FORMAT};

std::string menuShown;  // the list menu's items, each its text and + or - for its state
int menuChoice = 0;     // the item the user chooses there
int RecordMenu(HMENU menu, UINT, int, int, HWND)
{
    menuShown.clear();
    for (UINT i = 0; i < UINT(GetMenuItemCount(menu)); ++i)
        if (char text[64] = ""; GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION) > 0)
            menuShown += std::string(text) + ((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) ? "- " : "+ ");
    return menuChoice;
}

class Batch : public testing::Test {
protected:
    // GSM 6.10 is the slowest codec: 48 MB of source take it about three
    // seconds, so a batch on it is still running when a test presses Stop,
    // also when the window's thread stalls for a second under a busy machine.
    static void SetUpTestSuite()
    {
        WriteWholeFile(source.File("long.wav"), sourceBytes = PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 3000, 440)));
    }
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, out_.Path().c_str(), sizeof(Settings.DestinationPath));
        window_ = CreateBatchWindow();
        long_ = source.File("long.wav"), destination_ = out_.File("long.wav");
        SetPopupMenuFunction(RecordMenu);
    }
    void TearDown() override
    {
        recorder_.SetAnswer(IDYES);
        if (IsWindow(window_))
            SendMessageA(window_, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsConversionActive());
        EXPECT_TRUE(ReadWholeFile(long_) == sourceBytes) << "the source changed";
        SetPopupMenuFunction(nullptr);
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE; }
    // A right click as the mouse gives it, on a row or below the rows: to the
    // list, or through a disabled list to the main window. Answers choice.
    std::string RightClick(const std::string& row, int choice = 0)
    {
        HWND list = GetDlgItem(window_, IDC_FILE_LIST), target = IsWindowEnabled(list) ? list : window_;
        std::vector<std::string> rows = RowTexts(window_);
        RECT rect = {LVIR_LABEL, 0, 0, 0};
        if (!SendMessageA(list, LVM_GETITEMRECT, std::find(rows.begin(), rows.end(), row) - rows.begin(), LPARAM(&rect)))
            GetClientRect(list, &rect);
        POINT at = {rect.left + 4, rect.bottom - 4};
        MapWindowPoints(list, target, &at, 1);
        menuShown = "(none)", menuChoice = choice;
        PostMessageA(target, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        SendMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        PumpWaitingMessages();
        return menuShown;
    }
    // The previews' samples in the temporary folder.
    static std::vector<std::string> Samples()
    {
        char folder[MAX_PATH];
        std::string pattern = std::string(folder, GetTempPathA(MAX_PATH, folder)) + "tvk*.tmp";
        std::vector<std::string> found;
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA(pattern.c_str(), &data);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &data))
            found.push_back(std::string(folder) + data.cFileName);
        FindClose(search);
        return found;
    }
    // What the preview does: its state, the play button's face and tooltip,
    // and the length of what the device plays.
    std::string Playing() const
    {
        char tip[80] = "";
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE, tool.hwnd = window_, tool.uId = UINT_PTR(GetDlgItem(window_, IDC_PLAY)), tool.lpszText = tip;
        SendMessageA(ToolTipWindow, TTM_GETTEXTA, sizeof(tip), LPARAM(&tool));
        MCI_STATUS_PARMS length = {0, 0, MCI_STATUS_LENGTH, 0};
        if (Preview.PreviewDevice != 0)
            mciSendCommandA(Preview.PreviewDevice, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, DWORD_PTR(&length));
        bool face = SendDlgItemMessageA(window_, IDC_PLAY, BM_GETIMAGE, IMAGE_BITMAP, 0) == LPARAM(Resources.PauseFace.Get());
        return std::to_string(int(Preview.PreviewState)) + (face ? " pause face " : " play face ") +
               std::to_string(length.dwReturn) + " ms, " + tip;
    }
    bool WaitForAudio() const { return PumpUntil([&] { return FileSize(destination_) > 100000; }, 30000); }
    bool WaitForIdle() const { return PumpUntil([] { return !IsConversionActive(); }); }
    std::string Tone(const std::string& name, uint32_t frames = 8000)
    {
        WriteWholeFile(in_.File(name), PcmWave(1, 8000, SineSamples(8000, 1, frames, 440)));
        return in_.File(name);
    }

    static inline ScratchFolder source;
    static inline Bytes sourceBytes;
    ScratchFolder in_, out_;
    HWND window_ = nullptr;
    const Bytes gsm_ = SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610), ulaw_ = SuggestFormat(Pcm8k, WAVE_FORMAT_MULAW);
    const Bytes msAdpcm_ = Join({Bytes{2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 16, 0, 0, 0, 1, 4, 0, 32, 0, 0xF4, 1, 7, 0},
                                 Bytes(28, 0)});  // cannot be encoded
    std::string long_, destination_;
    MessageRecorder recorder_{IDNO};
};

}  // namespace

TEST_F(Batch, ConvertLocksTheRowsGrowsTheWindowAndStopYesGivesEverythingBack)
{
    WriteWholeFile(in_.File("clip.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 60, 440)));
    AddBatchRow(window_, long_, gsm_);
    AddBatchRow(window_, in_.File("clip.wav"));
    AddBatchRow(window_, Tone("z-later.wav"), gsm_);
    EnableWindow(GetDlgItem(window_, IDC_SELECT_FORMAT), TRUE);
    // Explorer restarted: the icon is gone until the new taskbar is announced.
    NOTIFYICONDATAA icon = TrayIcon;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon) && !Shell_NotifyIconA(NIM_MODIFY, &icon));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE; }, 5000)) << "the tray icon did not come back";
    RECT idle, client, units = {0, 0, 396, 366};
    GetWindowRect(window_, &idle);
    MapDialogRect(window_, &units);
    Press(window_, IDC_CONVERT);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    for (int id : SavedControls)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDC_CONVERT) && Enabled(IDC_PLAY) && Enabled(IDC_STOP_PLAY));
    // Drops refused and the machine kept awake; without ES_CONTINUOUS the call only tells the state.
    auto acceptsDrops = [&] { return (GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
    EXPECT_FALSE(acceptsDrops());
    DropPaths(window_, {Tone("dropped.wav")});  // one that comes anyway changes nothing
    EXPECT_EQ(RowTexts(window_).size(), 3u);
    EXPECT_EQ(SetThreadExecutionState(ES_SYSTEM_REQUIRED), EXECUTION_STATE(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
    // The progress rows below the template come into view, the corner stays.
    ASSERT_TRUE(PumpUntil([&] { return GetClientRect(window_, &client) && client.bottom == units.bottom; }, 10000));
    EXPECT_EQ(client.right, units.right);
    ASSERT_TRUE(PumpUntil([] { return strstr(TrayIcon.szTip, "% converted (") != nullptr; }, 10000)) << TrayIcon.szTip;
    ASSERT_TRUE(WaitForAudio());
    // A preview plays meanwhile, from the button or the list's menu, which
    // offers no sample: the list is disabled, but its selection counts.
    SelectRows(window_, {0});
    EXPECT_EQ(RightClick("", IDC_PLAY), "Play+ Play in Destination Format- Select Destination Format...- Remove File- ");
    EXPECT_TRUE(Playing().starts_with("1 pause face") && Playing().ends_with("Playing the source file")) << Playing();
    Press(window_, IDC_PLAY);
    EXPECT_EQ(Preview.PreviewState, PlayState::Paused);
    Press(window_, IDC_STOP_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, 0u);
    SelectRows(window_, {});
    PumpFor(200);  // the selection's refresh
    SendMessageA(window_, WM_NCLBUTTONDOWN, HTMINBUTTON, 0);  // the minimize box hides to the tray
    recorder_.SetAnswer(IDYES);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(IsWindowVisible(window_)) << "the end of the batch showed a hidden window";
    SendMessageA(window_, TrayIcon.uCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window_));
    ASSERT_EQ(recorder_.Texts(), std::vector<std::string>{StopQuestion});
    EXPECT_EQ(recorder_.Messages()[0].Title + std::to_string(recorder_.Messages()[0].Style),
              "Question" + std::to_string(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    for (int id : SavedControls)
        EXPECT_EQ(Enabled(id), id != IDC_REMOVE_FILE) << id;
    EXPECT_TRUE(acceptsDrops());
    EXPECT_EQ(SetThreadExecutionState(ES_SYSTEM_REQUIRED), EXECUTION_STATE(ES_CONTINUOUS));
    RECT now;
    GetWindowRect(window_, &now);
    EXPECT_TRUE(EqualRect(&now, &idle));
    EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
    for (int id : {IDC_TOTAL_TEXT_LEFT, IDC_TOTAL_MARK, IDC_TOTAL_TEXT_MID, IDC_TOTAL_TEXT_RIGHT, IDC_FILE_TEXT_LEFT,
                   IDC_FILE_MARK, IDC_FILE_TEXT_MID, IDC_FILE_TEXT_RIGHT, IDC_CONVERT_INFO, IDC_CUR_COMPRESSION,
                   IDC_AVG_COMPRESSION, IDC_ELAPSED_TIME, IDC_ESTIMATED_TIME})
        EXPECT_EQ(ControlText(window_, id), "") << id;
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_TOTAL_PROGRESS, PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(HasPlaceholders(destination_));
    EXPECT_FALSE(FileExists(out_.File("z-later.wav")));
}

// 8 kHz resampled to 22,050 Hz stereo for IMA ADPCM, the whole file one
// block: the suspensions and the abort land inside the resampling stage.
TEST_F(Batch, StopNoSuspendsTheWorkerUntilContinueAndSuspensionsChangeNoByte)
{
    std::string reference = out_.File("reference.wav");
    const Bytes ima = SuggestFormat(PcmFormat(2, 22050, 16), WAVE_FORMAT_IMA_ADPCM);
    ASSERT_EQ(ConvertFile(long_.c_str(), Pcm8k.data(), 16, reference.c_str(), ima.data(), DWORD(ima.size())),
              ConvertResult::Converted);
    Settings.BufferSize = 65535;
    AddBatchRow(window_, long_, ima);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    Press(window_, IDC_CONVERT);
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{StopQuestion});
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Continue");
    EXPECT_EQ(Conversion.State.load(), ConversionState::Suspended);
    // It is suspended at its next check, within one piece of the chain's output.
    PumpFor(100);
    uint64_t standing = FileSize(destination_);
    PumpFor(700);
    EXPECT_EQ(FileSize(destination_), standing);
    Press(window_, IDC_CONVERT);
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    EXPECT_EQ(Conversion.State.load(), ConversionState::Running);
    int cycles = 0;
    for (; cycles < 40 && IsConversionActive(); ++cycles)
        Press(window_, IDC_CONVERT), PumpFor(1), Press(window_, IDC_CONVERT), PumpFor(1);  // Stop, No, Continue
    EXPECT_EQ(cycles, 40) << "the batch ended before the cycles did";
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(FinishedAudio(destination_).empty());
    EXPECT_TRUE(FinishedAudio(destination_) == FinishedAudio(reference));
    // Stop, Yes: the file's only block ends unfinished.
    DeleteFileA(destination_.c_str());
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    recorder_.SetAnswer(IDYES);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(HasPlaceholders(destination_));
}

// With the speech level on, the whole file is first measured: the figures
// move while nothing reaches the destination, a suspension holds them, and
// an abort leaves the destination with its placeholders and no audio.
TEST_F(Batch, TheMeasuringPassShowsItsProgressAndStopsAndAbortsAsTheConversionDoes)
{
    Settings.LevelMode = LevelSpeech;
    AddBatchRow(window_, long_, SuggestFormat(PcmFormat(2, 44100, 16), WAVE_FORMAT_IMA_ADPCM));
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([&] { return ControlText(window_, IDC_FILE_TEXT_LEFT) != ""; }, 30000));
    EXPECT_EQ(ControlText(window_, IDC_FILE_TEXT_MID), std::to_string(2 * (sourceBytes.size() - 44)) + " Bytes converted.");
    Press(window_, IDC_CONVERT);
    ASSERT_EQ(ControlText(window_, IDC_CONVERT), "Continue");
    PumpFor(100);
    std::string standing = ControlText(window_, IDC_FILE_TEXT_LEFT);
    PumpFor(500);
    EXPECT_EQ(ControlText(window_, IDC_FILE_TEXT_LEFT), standing);
    EXPECT_LT(std::stoull(standing), sourceBytes.size() - 44) << "the measuring pass was over";
    EXPECT_LT(FileSize(destination_), 100u) << "audio was written";
    Press(window_, IDC_CONVERT);
    PumpUntil([&] { return ControlText(window_, IDC_FILE_TEXT_LEFT) != standing; }, 5000);
    recorder_.SetAnswer(IDYES);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(HasPlaceholders(destination_) && FileSize(destination_) < 100);
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>(2, StopQuestion));
}

// Through the real program all states are closed; here the end of a logon
// (which must store the settings before the process may end) and a close
// while the worker's failure message waits for its reader.
TEST_F(Batch, ClosingOrEndingTheLogonAsksAndYesEndsTheBatchAtOnce)
{
    AddBatchRow(window_, long_, gsm_);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    EXPECT_FALSE(SendMessageA(window_, WM_QUERYENDSESSION, 0, 0));  // No keeps the batch
    EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Stop");
    recorder_.SetAnswer(IDYES);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tonvelka");
    ASSERT_TRUE(SendMessageA(window_, WM_QUERYENDSESSION, 0, 0));
    SendMessageA(window_, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(window_) || IsConversionActive());
    EXPECT_TRUE(HasPlaceholders(destination_));
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>(2, CloseQuestion));
    EXPECT_EQ(StoredSettings(), "1:" + out_.Path() + " 4:16 4:32 4:0 4:50 4:1 4:0 4:0 4:260 4:1 ");

    window_ = CreateBatchWindow();
    AddBatchRow(window_, Tone("a.wav"), ulaw_);
    AddBatchRow(window_, Tone("b.wav"), msAdpcm_);
    std::atomic<bool> showing = false;
    recorder_.SetResponder([&](const ShownMessage&) { return showing = true, Sleep(300), IDYES; });
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([&] { return showing.load(); }));
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_) || IsConversionActive());
}

// Into a missing folder and the folders the test script mounted: one that
// fills up at once and one that cannot be written.
TEST_F(Batch, FullDisksAndFoldersThatCannotBeWrittenStopTheBatch)
{
    AddBatchRow(window_, Tone("a.wav", 8000 * 200), ulaw_);  // 1.6 MB of u-law
    AddBatchRow(window_, Tone("b.wav"), ulaw_);
    std::string unmounted;
    const char* causes[] = {"the file cannot be created (error 3).", "the disk is full (error 112).",
                            "the file cannot be created (error 5)."};
    int variant = 0;
    for (const char* variable : {"", "TONVELKA_FULL_FOLDER", "TONVELKA_READONLY_FOLDER"}) {
        const char* cause = causes[variant++];
        SCOPED_TRACE(variable);
        char folder[MAX_PATH] = "Z:";
        if (*variable != '\0' && GetEnvironmentVariableA(variable, folder + 2, MAX_PATH - 2) == 0) {
            unmounted += std::string(" ") + variable;
            continue;
        }
        std::string path = *variable != '\0' ? folder : out_.File("no such folder");
        lstrcpynA(Settings.DestinationPath, path.c_str(), sizeof(Settings.DestinationPath));
        recorder_.Clear();
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(WaitForIdle());
        const std::string line = path + "\\a.wav: " + cause;
        EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to convert audio file.\n" + line});
        EXPECT_FALSE(FileExists(path + "/b.wav"));
        bool full = strstr(variable, "FULL") != nullptr;
        EXPECT_EQ(FileExists(path + "/a.wav"), full);
        EXPECT_EQ(HasPlaceholders(path + "/a.wav"), full);
        DeleteFileA((path + "/a.wav").c_str());
    }
    if (!unmounted.empty())
        GTEST_SKIP() << "not mounted for this run:" << unmounted;
}

// Holds the worker between its two files: suspends the batch once the
// figures say the first file is whole.
struct HoldAfterFirstFile final : BatchListener {
    explicit HoldAfterFirstFile(uint64_t bytes) : firstBytes(bytes) {}
    void Measured() override {}
    bool FiguresPublished() override
    {
        if (!held && BatchStatistics.ConsumedBytes >= firstBytes)
            SuspendWorker(), held = true;
        return false;
    }
    void Stopped(const char*, const char*) override {}
    void Noticed(const char*) override {}
    void Ended(DWORD) override {}
    uint64_t firstBytes;
    std::atomic<bool> held = false;
};

// An abort while the worker is held between two files ends the batch before
// anything of the next row is created or emptied.
TEST_F(Batch, AnAbortWhileHeldBetweenTwoFilesLeavesTheNextDestinationAlone)
{
    for (bool existed : {true, false}) {
        SCOPED_TRACE(existed);
        const Bytes kept = {'k', 'e', 'e', 'p'};
        DeleteFileA(out_.File("b.wav").c_str());
        if (existed)
            WriteWholeFile(out_.File("b.wav"), kept);
        BatchJob job;
        for (const char* name : {"a.wav", "b.wav"})
            job.Rows.push_back({Tone(name), 0, true, RowFormats::Read, Pcm8k, ulaw_});
        job.DestinationFolder = out_.Path(), job.BlockSize = DefaultBlockSize;
        HoldAfterFirstFile listener(FileSize(in_.File("a.wav")) - 44);
        ASSERT_TRUE(CreateConversionEvents() && StartConversionThread(job, listener, THREAD_PRIORITY_NORMAL));
        // The first destination whole and closed: the worker is at, or on its
        // way to, the check before the next row.
        ASSERT_TRUE(PumpUntil([&] { return listener.held && !FinishedAudio(out_.File("a.wav")).empty(); }));
        SignalAbort();
        EXPECT_EQ(WaitForSingleObject(Conversion.Thread.Get(), 10000), WAIT_OBJECT_0);
        ReleaseConversion();
        EXPECT_EQ(FileExists(out_.File("b.wav")), existed);
        EXPECT_TRUE(!existed || ReadWholeFile(out_.File("b.wav")) == kept);
    }
}

TEST_F(Batch, SourcesThatChangedSinceTheyWereAdded)
{
    auto run = [&](const std::string& message) {
        recorder_.Clear();
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(WaitForIdle());
        EXPECT_EQ(recorder_.Texts(), !message.empty() ? std::vector<std::string>{message} : std::vector<std::string>());
        ClearBatchRows(window_);
    };
    // The message names the file that cannot be measured, and why.
    auto unmeasured = [&](const char* name, const char* cause) {
        return "Unable to calculate size of all files marked for conversion.\n" + in_.File(name) + ": " + cause;
    };
    AddBatchRow(window_, Tone("gone.wav"), ulaw_);
    DeleteFileA(in_.File("gone.wav").c_str());
    run(unmeasured("gone.wav", "the file cannot be opened (error 2)."));
    // Held by another writer: it cannot be opened with writing denied.
    AddBatchRow(window_, Tone("locked.wav"), ulaw_);
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE lock = CreateFileA(in_.File("locked.wav").c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
    run(unmeasured("locked.wav", "the file cannot be opened (error 32)."));
    CloseHandle(lock);
    // Shortened: what is left converts into a valid file.
    AddBatchRow(window_, Tone("short.wav"), ulaw_);
    Tone("short.wav", 1500);
    run("");
    EXPECT_EQ(FinishedAudio(out_.File("short.wav")).size(), 1500u);
    // Grown four times while the batch stands still on the file before it:
    // all of it converts, past 100 %.
    // Beside the long file, so it is the next row whatever the folders' names.
    const std::string grown = source.File("z.wav");
    WriteWholeFile(grown, PcmWave(1, 8000, SineSamples(8000, 1, 8000, 440)));
    AddBatchRow(window_, long_, gsm_);
    AddBatchRow(window_, grown, ulaw_);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForAudio());
    recorder_.SetAnswer(IDNO);
    Press(window_, IDC_CONVERT);
    ASSERT_EQ(ControlText(window_, IDC_CONVERT), "Continue");
    WriteWholeFile(grown, PcmWave(1, 8000, SineSamples(8000, 1, 32000, 440)));
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(FinishedAudio(out_.File("z.wav")).size(), 32000u);
    EXPECT_GT(BatchStatistics.ConsumedBytes, BatchStatistics.TotalBytes);
}

// 180 MB of declared 8-bit mono 8 kHz silence, a sparse file, decode to 24
// times as much 16-bit stereo 48 kHz: more than 32-bit sizes hold. The test
// script mounts a folder large enough for all of it.
TEST_F(Batch, OutputThatWouldPassFourGigabytesFailsAndKeepsItsPlaceholders)
{
    char folder[MAX_PATH] = "Z:";
    if (GetEnvironmentVariableA("TONVELKA_LARGE_FOLDER", folder + 2, MAX_PATH - 2) == 0)
        GTEST_SKIP() << "not mounted for this run";
    Bytes header = RiffForm("WAVE", Join({Chunk("fmt ", PcmFormat(1, 8000, 8)), ChunkWithSize("data", 180000000, {})}));
    WriteWholeFile(in_.File("sparse.wav"), header);
    HANDLE file = CreateFileA(in_.File("sparse.wav").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end = {};
    end.QuadPart = LONGLONG(header.size()) + 180000000;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    AddBatchRow(window_, in_.File("sparse.wav"), PcmFormat(2, 48000, 16));
    lstrcpynA(Settings.DestinationPath, folder, sizeof(Settings.DestinationPath));
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }, 280000));
    std::string written = std::string(folder) + "\\sparse.wav";
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to convert audio file.\n" + written +
                                                          ": the file cannot be written (error 223)."});
    char sizes[44] = {};
    DWORD read = 0;
    file = CreateFileA(written.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ReadFile(file, sizes, sizeof(sizes), &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(ReadU32(Bytes(sizes, sizes + read), 4), 1u);
    EXPECT_EQ(ReadU32(Bytes(sizes, sizes + read), 40), 1u);
    // It stopped at the last block that fit: within a few blocks of the limit.
    EXPECT_LE(FileSize(written), 0xFFFFFFFFull + 8);
    EXPECT_GT(FileSize(written), 0xFFFFFFFFull - (8u << 20));
    DeleteFileA(written.c_str());
}

TEST_F(Batch, TheListMenuOffersWhatTheButtonsDo)
{
    const std::string none = "Play+ Play in Destination Format- Select Destination Format...- Remove File- ";
    const std::string plainRow = "Play+ Play in Destination Format- Select Destination Format...+ Remove File+ ";
    EXPECT_EQ(RightClick(""), none);
    std::string plain = Tone("plain.wav"), marked = Tone("marked.wav");
    AddBatchRow(window_, plain);
    AddBatchRow(window_, marked, gsm_);
    EXPECT_EQ(RightClick(""), none);
    EXPECT_EQ(RightClick(plain), plainRow);
    // The clicked row becomes the selection, alone.
    EXPECT_EQ(RightClick(marked), "Play+ Play in Destination Format+ Select Destination Format...+ Remove File+ ");
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_FILE_LIST, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_FILE_LIST, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 0);
    // The context menu key and Shift+F10 on two selected rows; a right click
    // on a selected row keeps the selection, and its Remove File takes both.
    SelectRows(window_, {0, 1});
    menuShown.clear();
    SendDlgItemMessageA(window_, IDC_FILE_LIST, WM_CONTEXTMENU, WPARAM(GetDlgItem(window_, IDC_FILE_LIST)), -1);
    EXPECT_EQ(menuShown, plainRow);
    EXPECT_EQ(RightClick(marked, IDC_REMOVE_FILE), plainRow);
    EXPECT_TRUE(RowTexts(window_).empty());
}

TEST_F(Batch, ARowPlaysInItsDestinationFormatFromATemporarySampleThatEveryEndRemoves)
{
    const Bytes stereo = PcmFormat(2, 44100, 16), ima = SuggestFormat(stereo, WAVE_FORMAT_IMA_ADPCM);
    std::string clip = in_.File("clip.wav"), voice = Tone("voice.wav", 8000 * 2), broken = Tone("broken.wav");
    WriteWholeFile(clip, PcmWave(2, 44100, SineSamples(44100, 2, 44100 * 2, 440)));
    AddBatchRow(window_, voice, gsm_);
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(WaitForIdle());
    AddBatchRow(window_, long_, gsm_);
    AddBatchRow(window_, clip, ima);
    AddBatchRow(window_, broken, msAdpcm_);
    // 48 kHz 24-bit stereo whose extensible header claims 1 byte a second.
    Bytes studio = WaveFormat(WAVE_FORMAT_EXTENSIBLE, 2, 48000, 24, 24, 3);
    studio[8] = 1, studio[9] = studio[10] = 0;
    WriteWholeFile(in_.File("studio.wav"), RiffForm("WAVE", Join({Chunk("fmt ", studio), Chunk("data", Bytes(48000 * 6 * 31, 0))})));
    AddBatchRow(window_, in_.File("studio.wav"), ulaw_);
    const std::string idle = "0 play face 0 ms, Play";
    for (const std::string& left : Samples())  // by an earlier run that failed
        DeleteFileA(left.c_str());
    ASSERT_EQ(Playing(), idle);
    // Thirty seconds in 750 blocks of GSM 6.10, which show no figures of a
    // batch: the tray still tells the idle state.
    RightClick(long_, IDC_PLAY_DESTINATION);
    EXPECT_EQ(Playing(), "1 pause face 30000 ms, Playing in the destination format");
    ASSERT_EQ(Samples().size(), 1u);
    EXPECT_EQ(FinishedAudio(Samples()[0]).size(), 750u * 65);
    PumpFor(150);
    EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
    // Pause as for a source; a new sample replaces it, 30 s of the studio
    // source as u-law 8 kHz mono; Stop removes it.
    Press(window_, IDC_PLAY);
    EXPECT_EQ(Playing(), "2 pause face 30000 ms, Playing in the destination format");
    RightClick(in_.File("studio.wav"), IDC_PLAY_DESTINATION);
    ASSERT_EQ(Samples().size(), 1u);
    EXPECT_EQ(FinishedAudio(Samples()[0]).size(), 8000u * 30);
    EXPECT_EQ(Playing(), "1 pause face 30000 ms, Playing in the destination format");
    Press(window_, IDC_STOP_PLAY);
    EXPECT_EQ(Playing(), idle);
    EXPECT_TRUE(Samples().empty());
    // At the batch's peak, measured over the whole file: its loudest part
    // comes after the sample's thirty seconds.
    std::vector<int16_t> rising = SineSamples(8000, 1, 8000 * 30, 440, 3000), loud = SineSamples(8000, 1, 8000 * 5, 440, 12000);
    rising.insert(rising.end(), loud.begin(), loud.end());
    WriteWholeFile(in_.File("rising.wav"), PcmWave(1, 8000, rising));
    AddBatchRow(window_, in_.File("rising.wav"), Pcm8k);
    Settings.LevelMode = LevelPeak, Settings.LevelTarget = 10;
    RightClick(in_.File("rising.wav"), IDC_PLAY_DESTINATION);
    ASSERT_EQ(Samples().size(), 1u);
    std::vector<int16_t> sample = SamplesOf(FinishedAudio(Samples()[0]));
    EXPECT_EQ(sample.size(), 8000u * 30);
    EXPECT_NEAR(20 * std::log10(*std::max_element(sample.begin(), sample.end()) * 4 / 32768.0), -1.0, 0.1);
    Press(window_, IDC_STOP_PLAY);
    Settings.LevelMode = LevelAsRecorded;
    // Shorter sources go in whole and play to their end.
    const auto* block = reinterpret_cast<const IMAADPCMWAVEFORMAT*>(ima.data());
    // The last IMA ADPCM block is filled up with silence.
    const uint32_t imaBlocks = (88200u + block->wSamplesPerBlock - 1) / block->wSamplesPerBlock;
    for (auto [row, bytes] : {std::pair{clip, imaBlocks * block->wfx.nBlockAlign},
                              std::pair{voice, 16000u / 320 * 65}}) {
        RightClick(row, IDC_PLAY_DESTINATION);
        ASSERT_EQ(Samples().size(), 1u);
        EXPECT_EQ(FinishedAudio(Samples()[0]).size(), bytes);
        EXPECT_EQ(Playing().substr(0, 13), "1 pause face ");
        ASSERT_TRUE(PumpUntil([] { return Preview.PreviewDevice == 0; }, 20000));
        EXPECT_EQ(Playing(), idle);
        EXPECT_TRUE(Samples().empty());
    }
    RightClick(broken, IDC_PLAY_DESTINATION);
    ASSERT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to convert audio file."});
    EXPECT_EQ(recorder_.Messages()[0].Title + std::to_string(recorder_.Messages()[0].Style), "Error" + std::to_string(MB_ICONHAND));
    EXPECT_EQ(Playing(), idle);
    EXPECT_TRUE(Samples().empty());
    // The window's end removes a sample that plays; nothing reached the destination folder.
    RightClick(long_, IDC_PLAY_DESTINATION);
    ASSERT_EQ(Samples().size(), 1u);
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Samples().empty());
    for (const char* name : {"long.wav", "clip.wav", "broken.wav"})
        EXPECT_FALSE(FileExists(out_.File(name))) << name;
}
