// Batches that meet full disks, unwritable or missing folders, and sources
// that vanish, shrink, are locked or grow: each ends with a clear message or
// a valid file, the window returns to idle, and no source is touched.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <random>
#include <thread>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/progress.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/modal_driver.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"

namespace {

const Bytes Pcm8k = PcmFormat(1, 8000, 16);

// A folder the test script mounted for this purpose, as a Windows path.
std::string MountedFolder(const char* variable)
{
    char unixPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(variable, unixPath, sizeof(unixPath));
    if (length == 0 || length >= sizeof(unixPath))
        return {};
    std::string path = "Z:";
    for (const char* c = unixPath; *c; ++c)
        path += *c == '/' ? '\\' : *c;
    return path;
}

class Faults : public testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, output_.Path().c_str(), sizeof(Settings.DestinationPath));
        window_ = CreateBatchWindow();
        ASSERT_NE(window_, nullptr);
        ulaw_ = SuggestFormat(Pcm8k, WAVE_FORMAT_MULAW);
        gsm_ = SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610);
    }
    void TearDown() override
    {
        if (IsWindow(window_)) {
            recorder_.SetAnswer(IDYES);
            SendMessageA(window_, WM_CLOSE, 0, 0);
        }
        PumpFor(10);
        EXPECT_FALSE(IsConversionActive());
        for (const auto& [path, bytes] : sources_) {
            if (FileExists(path)) {
                EXPECT_EQ(ReadWholeFile(path), bytes) << path << " changed";
            }
        }
    }

    std::string Source(const std::string& name, uint32_t frames)
    {
        std::string path = input_.File(name);
        Bytes bytes = PcmWave(1, 8000, SineSamples(8000, 1, frames, 440));
        WriteWholeFile(path, bytes);
        sources_.emplace_back(path, bytes);
        return path;
    }

    void RunBatch()
    {
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
        ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
        EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const ShownMessage& shown : recorder_.Messages())
            texts.push_back(shown.Text);
        return texts;
    }

    ScratchFolder input_, output_;
    HWND window_ = nullptr;
    Bytes ulaw_, gsm_;
    MessageRecorder recorder_{IDOK};
    std::vector<std::pair<std::string, Bytes>> sources_;
};

}  // namespace

TEST_F(Faults, AFullDiskStopsTheBatchAndKeepsThePlaceholders)
{
    std::string full = MountedFolder("TONVELKA_FULL_FOLDER");
    if (full.empty())
        GTEST_SKIP() << "no small file system was mounted for this run";
    lstrcpynA(Settings.DestinationPath, full.c_str(), sizeof(Settings.DestinationPath));
    // 2 MB of u-law do not fit into 512 KB.
    AddBatchRow(window_, Source("big.wav", 8000 * 250), ulaw_);
    AddBatchRow(window_, Source("later.wav", 8000), ulaw_);
    RunBatch();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to convert audio file."});
    EXPECT_TRUE(HasPlaceholders(full + "\\big.wav"));
    EXPECT_FALSE(FileExists(full + "\\later.wav"));
    DeleteFileA((full + "\\big.wav").c_str());
}

TEST_F(Faults, MissingAndReadOnlyFoldersAreReported)
{
    AddBatchRow(window_, Source("a.wav", 8000), ulaw_);
    std::string missing = output_.File("no such folder");
    lstrcpynA(Settings.DestinationPath, missing.c_str(), sizeof(Settings.DestinationPath));
    RunBatch();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to convert audio file."});
    EXPECT_FALSE(FileExists(missing));

    std::string readOnly = MountedFolder("TONVELKA_READONLY_FOLDER");
    if (readOnly.empty())
        GTEST_SKIP() << "no read-only file system was mounted for this run";
    recorder_.Clear();
    lstrcpynA(Settings.DestinationPath, readOnly.c_str(), sizeof(Settings.DestinationPath));
    RunBatch();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to convert audio file."});
    EXPECT_FALSE(FileExists(readOnly + "\\a.wav"));
}

TEST_F(Faults, SourcesThatChangedSinceTheyWereAdded)
{
    // Deleted: the size pass cannot measure it.
    std::string gone = Source("gone.wav", 8000);
    AddBatchRow(window_, gone, ulaw_);
    DeleteFileA(gone.c_str());
    RunBatch();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to calculate size of all files marked for conversion."});
    ClearBatchRows(window_);

    // Locked by another writer: it cannot be opened with writing denied.
    recorder_.Clear();
    std::string locked = Source("locked.wav", 8000);
    AddBatchRow(window_, locked, ulaw_);
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    RunBatch();
    CloseHandle(lock);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to calculate size of all files marked for conversion."});
    ClearBatchRows(window_);

    // Shortened: what is left converts, and the result is a valid file.
    recorder_.Clear();
    std::string shortened = input_.File("short.wav");
    Bytes whole = PcmWave(1, 8000, SineSamples(8000, 1, 8000, 440));
    WriteWholeFile(shortened, whole);
    AddBatchRow(window_, shortened, ulaw_);
    WriteWholeFile(shortened, Bytes(whole.begin(), whole.begin() + 44 + 3000));
    RunBatch();
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(FinishedAudio(output_.File("short.wav")).size(), 1500u);
}

TEST_F(Faults, ASourceThatGrowsDuringTheBatchEndsCleanly)
{
    // The second file is rewritten four times as long while the first converts.
    std::string first = Source("a.wav", 8000 * 600);
    std::string second = input_.File("b.wav");
    WriteWholeFile(second, PcmWave(1, 8000, SineSamples(8000, 1, 8000, 440)));
    AddBatchRow(window_, first, gsm_);
    AddBatchRow(window_, second, ulaw_);
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return FileSize(output_.File("a.wav")) > 10000; }, 30000));
    WriteWholeFile(second, PcmWave(1, 8000, SineSamples(8000, 1, 32000, 440)));
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(FinishedAudio(output_.File("b.wav")).size(), 32000u);
    // Consumed more than was measured: the figures go past 100 %.
    EXPECT_GT(BatchStatistics.ConsumedBytes, BatchStatistics.TotalBytes);
}

TEST_F(Faults, ClosingAtRandomMomentsNeverHangs)
{
    std::mt19937 random(20261206);
    std::string source = Source("long.wav", 8000 * 300);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        if (!IsWindow(window_))
            window_ = CreateBatchWindow();
        recorder_.Clear();
        recorder_.SetAnswer(IDNO);
        AddBatchRow(window_, source, gsm_);
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
        PumpFor(random() % 300);
        if (round % 3 == 1 && IsConversionActive())
            SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);  // Stop, No: suspended
        recorder_.SetAnswer(IDYES);
        if (round % 2 == 0) {
            SendMessageA(window_, WM_CLOSE, 0, 0);
        } else {
            SendMessageA(window_, WM_QUERYENDSESSION, 0, 0);
            SendMessageA(window_, WM_ENDSESSION, TRUE, 0);
        }
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_FALSE(IsConversionActive());
        PumpFor(5);
    }
}

TEST_F(Faults, ClosingWhileTheWorkerShowsAMessageWaitsForItsAnswer)
{
    // The second file fails; its message stays open for a while, as a user
    // takes time to read it, and the window is closed meanwhile.
    Bytes adpcm = FormatBytes(WAVEFORMATEX{WAVE_FORMAT_ADPCM, 1, 8000, 4096, 256, 4, 32}, Bytes(32, 0));
    AddBatchRow(window_, Source("a.wav", 8000), ulaw_);
    AddBatchRow(window_, Source("b.wav", 8000), adpcm);
    std::atomic<bool> showing = false;
    recorder_.SetResponder([&](const ShownMessage& shown) {
        if (shown.Text == "Unable to convert audio file.") {
            showing = true;
            Sleep(300);
        }
        return IDYES;
    });
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return showing.load() || !IsConversionActive(); }));
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_FALSE(IsConversionActive());
}
