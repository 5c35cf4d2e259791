// Whole batches through the real main window: which rows convert, where the
// files go, and what the user is told when a batch cannot go on.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/destination_path.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/modal_driver.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"

namespace {

const Bytes Pcm8k = PcmFormat(1, 8000, 16);

class Batch : public testing::Test {
protected:
    static void SetUpTestSuite() { window = CreateBatchWindow(); }
    static void TearDownTestSuite()
    {
        ClearBatchRows(window);
        DestroyWindow(window);
        PumpFor(10);
    }

    void SetUp() override
    {
        ASSERT_NE(window, nullptr);
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, output_.Path().c_str(), sizeof(Settings.DestinationPath));
        ulaw_ = SuggestFormat(Pcm8k, WAVE_FORMAT_MULAW);
        ASSERT_FALSE(ulaw_.empty());
        // The info line as it stood when each message came.
        recorder_.SetResponder([this](const ShownMessage&) {
            infoAtMessage_.push_back(ControlText(window, IDC_CONVERT_INFO));
            return IDOK;
        });
    }
    void TearDown() override
    {
        ClearBatchRows(window);
        for (const auto& [path, bytes] : sources_)
            EXPECT_EQ(ReadWholeFile(path), bytes) << path << " changed";
    }

    std::string Source(const ScratchFolder& folder, const std::string& name, uint32_t frames = 8000)
    {
        std::string path = folder.File(name);
        Bytes bytes = PcmWave(1, 8000, SineSamples(8000, 1, frames, 440));
        WriteWholeFile(path, bytes);
        sources_.emplace_back(path, bytes);
        return path;
    }

    void RunBatch()
    {
        ClickConvert(window);
        ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
    }

    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const ShownMessage& shown : recorder_.Messages()) {
            EXPECT_EQ(shown.Title, "Error");
            EXPECT_EQ(shown.Style & MB_ICONMASK, UINT(MB_ICONHAND));
            texts.push_back(shown.Text);
        }
        return texts;
    }

    static HWND window;
    ScratchFolder input_, output_, other_;
    Bytes ulaw_;
    MessageRecorder recorder_;
    std::vector<std::string> infoAtMessage_;
    std::vector<std::pair<std::string, Bytes>> sources_;
};
HWND Batch::window = nullptr;

}  // namespace

TEST(DestinationPath, JoinsFolderAndFileName)
{
    char out[256];
    EXPECT_EQ(JoinDestinationPath("C:\\OUT", "D:\\SRC\\A.WAV", out, sizeof(out)), DestinationJoin::Joined);
    EXPECT_STREQ(out, "C:\\OUT\\A.WAV");
    EXPECT_EQ(JoinDestinationPath("C:\\", "D:\\SRC\\A.WAV", out, sizeof(out)), DestinationJoin::Joined);
    EXPECT_STREQ(out, "C:\\A.WAV");
    EXPECT_EQ(JoinDestinationPath("C:\\OUT", "A.WAV", out, sizeof(out)), DestinationJoin::NoBackslash);
    std::string folder(250, 'f');
    EXPECT_EQ(JoinDestinationPath(folder.c_str(), "D:\\abcd", out, sizeof(out)), DestinationJoin::Joined);
    EXPECT_EQ(strlen(out), 255u);
    EXPECT_EQ(JoinDestinationPath(folder.c_str(), "D:\\abcde", out, sizeof(out)), DestinationJoin::TooLong);
    EXPECT_STREQ(out, "");
}

TEST_F(Batch, ConvertsMarkedRowsOnlyAndCountsThem)
{
    // Sorted by path: a b c d e f g; b and e are not marked, e fails.
    Bytes adpcm = SuggestFormat(Pcm8k, WAVE_FORMAT_ADPCM);
    if (adpcm.empty()) {
        WAVEFORMATEX header = {WAVE_FORMAT_ADPCM, 1, 8000, 4096, 256, 4, 32};
        adpcm = FormatBytes(header, Bytes(32, 0));
    }
    for (const char* name : {"a.wav", "c.wav", "d.wav"})
        AddBatchRow(window, Source(input_, name), ulaw_);
    AddBatchRow(window, Source(input_, "b.wav"));
    AddBatchRow(window, Source(input_, "e.wav"), adpcm);  // the codecs here cannot encode it
    AddBatchRow(window, Source(input_, "f.wav"), ulaw_);
    AddBatchRow(window, Source(input_, "g.wav"), ulaw_);
    RunBatch();

    ASSERT_EQ(MessageTexts(), std::vector<std::string>{"Unable to convert audio file."});
    EXPECT_EQ(infoAtMessage_[0], "Converting file " + input_.File("e.wav") + " (4 of 6) ...");
    for (const char* name : {"a.wav", "c.wav", "d.wav"})
        EXPECT_EQ(FinishedAudio(output_.File(name)).size(), 8000u) << name;
    EXPECT_FALSE(FileExists(output_.File("b.wav")));
    EXPECT_TRUE(HasPlaceholders(output_.File("e.wav")));
    EXPECT_FALSE(FileExists(output_.File("f.wav")));
    EXPECT_FALSE(FileExists(output_.File("g.wav")));
    EXPECT_EQ(ControlText(window, IDC_CONVERT), "Convert");
    EXPECT_EQ(ControlText(window, IDC_CONVERT_INFO), "");
}

TEST_F(Batch, AFolderWithATrailingBackslashTakesNoSecondOne)
{
    std::string folder = output_.Path() + "\\";
    lstrcpynA(Settings.DestinationPath, folder.c_str(), sizeof(Settings.DestinationPath));
    AddBatchRow(window, Source(input_, "a.wav"), ulaw_);
    RunBatch();
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(FinishedAudio(output_.File("a.wav")).size(), 8000u);
}

TEST_F(Batch, NothingToMeasureIsReported)
{
    AddBatchRow(window, Source(input_, "a.wav"));
    RunBatch();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Unable to calculate size of all files marked for conversion."});

    recorder_.Clear();
    ClearBatchRows(window);
    AddBatchRow(window, Source(input_, "empty1.wav", 0), ulaw_);
    AddBatchRow(window, Source(input_, "empty2.wav", 0), ulaw_);
    RunBatch();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Unable to calculate size of all files marked for conversion."});
    EXPECT_FALSE(FileExists(output_.File("empty1.wav")));
}

TEST_F(Batch, TheSecondOfTwoSameNamesReplacesTheFirst)
{
    ScratchFolder& other = other_;
    std::string first = Source(input_, "same.wav", 4000);
    std::string second = Source(other, "same.wav", 6000);
    AddBatchRow(window, first, ulaw_);
    AddBatchRow(window, second, ulaw_);
    RunBatch();
    EXPECT_TRUE(MessageTexts().empty());
    // Rows go in the list's order, sorted by their paths.
    size_t expected = input_.Path() < other.Path() ? 6000u : 4000u;
    EXPECT_EQ(FinishedAudio(output_.File("same.wav")).size(), expected);
}

TEST_F(Batch, ASourceInsideTheDestinationFolderIsNotOverwritten)
{
    lstrcpynA(Settings.DestinationPath, input_.Path().c_str(), sizeof(Settings.DestinationPath));
    AddBatchRow(window, Source(input_, "a.wav"), ulaw_);
    RunBatch();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Unable to convert audio file."});
}

TEST_F(Batch, AnUnmarkedRowWithoutABackslashStopsTheBatch)
{
    AddBatchRow(window, Source(input_, "a.wav"), ulaw_);
    AddRawRow(window, "zzz-no-folder.wav");
    RunBatch();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Invalid filename encountered."});
    EXPECT_EQ(FinishedAudio(output_.File("a.wav")).size(), 8000u);
}

TEST_F(Batch, ATooLongDestinationStopsBeforeAnythingIsCreated)
{
    std::string folder = output_.Path() + "\\" + std::string(250 - output_.Path().size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    lstrcpynA(Settings.DestinationPath, folder.c_str(), sizeof(Settings.DestinationPath));
    AddBatchRow(window, Source(input_, "long-enough-name.wav"), ulaw_);
    RunBatch();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Unable to convert audio file: the destination path is too long."});
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.wav").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
