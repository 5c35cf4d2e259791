// Conversions through the real codecs: single files, then whole batches
// through the real main window. Every result is read back by sox or byte by
// byte, and no source may change.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/convert_file.h"
#include "engine/destination_path.h"
#include "engine/progress.h"
#include "engine/wave_file.h"
#include "res/resource.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"

namespace {

const Bytes Pcm8k = PcmFormat(1, 8000, 16);

class Conversions : public testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, out_.Path().c_str(), sizeof(Settings.DestinationPath));
        BatchStatistics = {};
        BatchStatistics.TotalBytes = 1;
        Conversion.AbortEvent = Conversion.RunEvent = nullptr;
        Conversion.AbortSignalled = Conversion.StandStillAsked = false;
        MainDialog = nullptr;
        ulaw_ = SuggestFormat(Pcm8k, WAVE_FORMAT_MULAW);
    }
    void TearDown() override
    {
        if (Conversion.AbortEvent != nullptr)
            CloseHandle(Conversion.AbortEvent);
        Conversion.AbortEvent = nullptr;
        if (window_ != nullptr) {
            ClearBatchRows(window_);
            DestroyWindow(window_);
        }
        for (const auto& [path, bytes] : sources_)
            EXPECT_EQ(ReadWholeFile(path), bytes) << path << " changed";
    }

    std::string Source(const std::string& name, const Bytes& bytes, const ScratchFolder* folder = nullptr)
    {
        std::string path = (folder != nullptr ? folder : &in_)->File(name);
        WriteWholeFile(path, bytes);
        sources_.emplace_back(path, bytes);
        return path;
    }
    std::string Tone(const std::string& name, uint32_t frames = 8000, const ScratchFolder* folder = nullptr)
    {
        return Source(name, PcmWave(1, 8000, SineSamples(8000, 1, frames, 440)), folder);
    }
    ConvertResult Convert(const std::string& source, const std::string& destination, const Bytes& format)
    {
        Bytes sourceFormat(MaxFormatBytes);
        DWORD length = 0;
        EXPECT_TRUE(ReadSourceFormat(source.c_str(), sourceFormat.data(), &length));
        return ConvertFile(source.c_str(), sourceFormat.data(), length, destination.c_str(), format.data(),
                           DWORD(format.size()));
    }
    // The audio of a finished destination whose format chunk is format.
    Bytes Audio(const std::string& path, const Bytes& format)
    {
        Bytes file = ReadWholeFile(path);
        EXPECT_EQ(ReadU32(file, 16), format.size());
        EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 20 + long(std::min(format.size(), file.size() - 20))), format);
        return FinishedAudio(path);
    }
    void RunBatch()
    {
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
        EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    }
    HWND Window()
    {
        window_ = CreateBatchWindow();
        // The info line as it stood when each message came.
        recorder_.SetResponder([this](const ShownMessage& shown) {
            EXPECT_EQ(shown.Title, "Error");
            EXPECT_EQ(shown.Style, UINT(MB_OK | MB_ICONHAND));
            infoAtMessage_.push_back(ControlText(window_, IDC_CONVERT_INFO));
            return IDOK;
        });
        return window_;
    }

    ScratchFolder in_, out_, other_;
    Bytes ulaw_;
    HWND window_ = nullptr;
    MessageRecorder recorder_;
    std::vector<std::string> infoAtMessage_;
    std::vector<std::pair<std::string, Bytes>> sources_;
};

}  // namespace

TEST_F(Conversions, EveryCodecWritesAFileSoxDecodesToTheSource)
{
    const struct {
        const char* name;
        WORD tag;
        uint32_t rate;
        uint16_t channels;
        double minimumSnr;
    } cases[] = {{"ima", WAVE_FORMAT_IMA_ADPCM, 44100, 2, 30}, {"alaw", WAVE_FORMAT_ALAW, 8000, 1, 30},
                 {"ulaw", WAVE_FORMAT_MULAW, 22050, 2, 30},    {"gsm", WAVE_FORMAT_GSM610, 8000, 1, 15},
                 {"pcm", WAVE_FORMAT_PCM, 22050, 1, 90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int16_t> samples = SineSamples(c.rate, c.channels, c.rate * 2, 440);
        std::string source = Source(std::string(c.name) + ".wav", PcmWave(c.channels, c.rate, samples));
        Bytes format = SuggestFormat(PcmFormat(c.channels, c.rate, 16), c.tag);
        std::string destination = out_.File(std::string(c.name) + ".wav");
        ASSERT_EQ(Convert(source, destination, format), Converted);
        Bytes audio = Audio(destination, format);
        EXPECT_EQ(audio.size() % reinterpret_cast<const WAVEFORMATEX*>(format.data())->nBlockAlign, 0u);
        std::vector<int16_t> decoded;
        ASSERT_TRUE(SoxDecode(destination, decoded));
        EXPECT_GT(decoded.size(), samples.size() * 9 / 10);
        EXPECT_GT(SignalToNoise(samples, decoded), c.minimumSnr);
    }
    // Mono 8 bits from stereo 16: sox sees one channel of 8-bit samples.
    std::string info, stereo = Source("stereo.wav", PcmWave(2, 44100, SineSamples(44100, 2, 44100, 300)));
    std::vector<int16_t> decoded;
    ASSERT_EQ(Convert(stereo, out_.File("mono8.wav"), PcmFormat(1, 44100, 8)), Converted);
    EXPECT_EQ(Audio(out_.File("mono8.wav"), PcmFormat(1, 44100, 8)).size(), 44100u);
    ASSERT_TRUE(SoxDecode(out_.File("mono8.wav"), decoded, &info));
    EXPECT_NE(info.find("Channels       : 1"), std::string::npos) << info;
    EXPECT_NE(info.find("Precision      : 8-bit"), std::string::npos) << info;
}

TEST_F(Conversions, AdpcmSourcesMadeBySoxDecodeAsSoxDecodesThem)
{
    std::vector<int16_t> samples = SineSamples(22050, 1, 22050, 500);
    std::string pcm = Source("pcm.wav", PcmWave(1, 22050, samples));
    for (const char* encoding : {"ms-adpcm", "ima-adpcm"}) {
        SCOPED_TRACE(encoding);
        std::string adpcm = in_.File(std::string(encoding) + ".wav");
        ASSERT_EQ(RunUnixCommand("sox " + UnixArgument(pcm) + " -e " + encoding + " " + UnixArgument(adpcm)), 0);
        std::string destination = out_.File(std::string(encoding) + ".wav");
        ASSERT_EQ(Convert(adpcm, destination, PcmFormat(1, 22050, 16)), Converted);
        std::vector<int16_t> ours = SamplesOf(Audio(destination, PcmFormat(1, 22050, 16))), theirs;
        ASSERT_TRUE(SoxDecode(adpcm, theirs));
        EXPECT_GT(ours.size(), samples.size() * 9 / 10);
        EXPECT_GT(SignalToNoise(theirs, ours), 40);
    }
}

TEST_F(Conversions, PartialBlocksAreReadAgainAndTheTailIsDropped)
{
    // 44.1 kHz stereo IMA ADPCM takes 8164 source bytes a block: 16 KB leave
    // 56 bytes behind each time.
    std::vector<int16_t> samples = SineSamples(44100, 2, 44100 * 3 + 777, 440);
    std::string source = Source("long.wav", PcmWave(2, 44100, samples));
    Bytes ima = SuggestFormat(PcmFormat(2, 44100, 16), WAVE_FORMAT_IMA_ADPCM);
    std::vector<Bytes> results;
    for (WORD kbytes : {16, 1024, 0}) {  // 0 counts as the default
        Settings.BufferSize = kbytes;
        ASSERT_EQ(Convert(source, out_.File("out.wav"), ima), Converted);
        results.push_back(ReadWholeFile(out_.File("out.wav")));
    }
    size_t wholeBlocks = samples.size() * 2 / 8164;
    EXPECT_EQ(FinishedAudio(out_.File("out.wav")).size(), wholeBlocks * 2048);
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
    EXPECT_EQ(BatchStatistics.ConsumedBytes, 3 * wholeBlocks * 8164);
}

TEST_F(Conversions, UnusualSourcesAndDestinations)
{
    Bytes ima = SuggestFormat(PcmFormat(2, 44100, 16), WAVE_FORMAT_IMA_ADPCM);
    ASSERT_EQ(Convert(Source("empty.wav", PcmWave(2, 44100, {})), out_.File("empty.wav"), ima), Converted);
    EXPECT_EQ(ReadWholeFile(out_.File("empty.wav")).size(), 28 + ima.size());
    EXPECT_TRUE(FinishedAudio(out_.File("empty.wav")).empty());
    // Fewer bytes than one IMA ADPCM block needs.
    EXPECT_EQ(Convert(Source("tiny.wav", PcmWave(2, 44100, SineSamples(44100, 2, 100, 440))), out_.File("tiny.wav"), ima), Failed);
    EXPECT_TRUE(HasPlaceholders(out_.File("tiny.wav")));
    // 100000 bytes declared, 8000 present: the file ends at its last byte.
    Bytes cut = RiffForm("WAVE", Chunk("fmt ", Pcm8k));
    AppendRaw(cut, ChunkWithSize("data", 100000, {}).data(), 8);
    Bytes audio = SampleBytes(SineSamples(8000, 1, 4000, 440));
    AppendRaw(cut, audio.data(), audio.size());
    WriteWholeFile(out_.File("cut.wav"), Bytes(500000, 0x55));  // replaced
    ASSERT_EQ(Convert(Source("cut.wav", cut), out_.File("cut.wav"), ulaw_), Converted);
    EXPECT_EQ(Audio(out_.File("cut.wav"), ulaw_).size(), 4000u);
    // Never over its own source.
    std::string same = Tone("same.wav");
    EXPECT_EQ(Convert(same, same, ulaw_), Failed);
    // Wine decodes Microsoft ADPCM but cannot encode it.
    Bytes adpcm = Join({Bytes{2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 16, 0, 0, 0, 1, 4, 0, 32, 0, 0xF4, 1, 7, 0}, Bytes(28, 0)});
    EXPECT_EQ(Convert(Tone("a.wav"), out_.File("adpcm.wav"), adpcm), Failed);
    EXPECT_TRUE(HasPlaceholders(out_.File("adpcm.wav")));
}

TEST_F(Conversions, AnAbortStopsAtTheNextLookBetweenBlocks)
{
    Conversion.AbortEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SignalAbort();
    EXPECT_EQ(Convert(Tone("a.wav"), out_.File("a.wav"), ulaw_), Aborted);
    EXPECT_TRUE(HasPlaceholders(out_.File("a.wav")));
    EXPECT_EQ(ReadWholeFile(out_.File("a.wav")).size(), 28 + ulaw_.size());

    // GSM 6.10 is the slowest codec: 10 MB last long enough to see blocks land.
    ResetEvent(Conversion.AbortEvent);
    Conversion.AbortSignalled = false;
    std::string source = Tone("long.wav", 8000 * 600), destination = out_.File("long.wav");
    std::atomic<bool> done = false;
    std::thread watcher([&] {
        while (!done && FileSize(destination) <= 1000)
            Sleep(1);
        SignalAbort();
    });
    ConvertResult result = Convert(source, destination, SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610));
    done = true;
    watcher.join();
    EXPECT_EQ(result, Aborted);
    EXPECT_TRUE(HasPlaceholders(destination));
    EXPECT_GT(FileSize(destination), 1000u);
    EXPECT_LT(FileSize(destination), 8000u * 600 * 2 / 10);
}

TEST(DestinationPath, FolderBackslashAndFileName)
{
    char out[256];
    std::string folder(250, 'f');
    const struct {
        const char *folder, *source, *joined;
        DestinationJoin result;
    } cases[] = {{"C:\\OUT", "D:\\SRC\\A.WAV", "C:\\OUT\\A.WAV", DestinationJoin::Joined},
                 {"C:\\", "D:\\SRC\\A.WAV", "C:\\A.WAV", DestinationJoin::Joined},
                 {"C:\\OUT", "A.WAV", "", DestinationJoin::NoBackslash},
                 {folder.c_str(), "D:\\abcd", nullptr, DestinationJoin::Joined},
                 {folder.c_str(), "D:\\abcde", "", DestinationJoin::TooLong}};
    for (const auto& c : cases) {
        EXPECT_EQ(JoinDestinationPath(c.folder, c.source, out, sizeof(out)), c.result) << c.source;
        EXPECT_EQ(std::string(out), c.joined != nullptr ? c.joined : folder + "\\abcd");
    }
}

TEST_F(Conversions, ABatchConvertsTheMarkedRowsInListOrderUntilOneFails)
{
    HWND window = Window();
    // Sorted by path: a b c d e f g; b is not marked, e cannot be encoded.
    Bytes adpcm = Join({Bytes{2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 16, 0, 0, 0, 1, 4, 0, 32, 0, 0xF4, 1, 7, 0}, Bytes(28, 0)});
    for (const char* name : {"a.wav", "c.wav", "d.wav", "f.wav", "g.wav"})
        AddBatchRow(window, Tone(name), ulaw_);
    AddBatchRow(window, Tone("b.wav"));
    AddBatchRow(window, Tone("e.wav"), adpcm);
    RunBatch();
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to convert audio file."});
    EXPECT_EQ(infoAtMessage_, std::vector<std::string>{"Converting file " + in_.File("e.wav") + " (4 of 6) ..."});
    for (const char* name : {"a.wav", "c.wav", "d.wav"}) {
        std::vector<int16_t> decoded;
        ASSERT_TRUE(SoxDecode(out_.File(name), decoded)) << name;
        EXPECT_EQ(decoded.size(), 8000u);
        EXPECT_GT(SignalToNoise(SineSamples(8000, 1, 8000, 440), decoded), 30);
    }
    EXPECT_FALSE(FileExists(out_.File("b.wav")));
    EXPECT_TRUE(HasPlaceholders(out_.File("e.wav")));
    EXPECT_FALSE(FileExists(out_.File("f.wav")));
    EXPECT_EQ(ControlText(window, IDC_CONVERT_INFO), "");
}

TEST_F(Conversions, ABatchTellsWhyItCannotGoOn)
{
    HWND window = Window();
    ScratchFolder& other = other_;
    const struct {
        const char* why;
        std::function<void()> arrange;
        const char* message;  // null: no message
    } cases[] = {
        {"no marked row", [&] { AddBatchRow(window, Tone("a.wav")); }, "Unable to calculate size of all files marked for conversion."},
        {"only empty files", [&] { AddBatchRow(window, Tone("e1.wav", 0), ulaw_), AddBatchRow(window, Tone("e2.wav", 0), ulaw_); },
         "Unable to calculate size of all files marked for conversion."},
        {"a source in the destination folder",
         [&] { AddBatchRow(window, Tone("a.wav"), ulaw_), lstrcpynA(Settings.DestinationPath, in_.Path().c_str(), 256); },
         "Unable to convert audio file."},
        {"a folder ending in a backslash",
         [&] { AddBatchRow(window, Tone("a.wav"), ulaw_), lstrcatA(Settings.DestinationPath, "\\"); }, nullptr},
        {"two sources of one name: the second in list order replaces the first",
         [&] { AddBatchRow(window, Tone("same.wav", 4000), ulaw_), AddBatchRow(window, Tone("same.wav", 6000, &other), ulaw_); }, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, out_.Path().c_str(), sizeof(Settings.DestinationPath));
        recorder_.Clear();
        c.arrange();
        RunBatch();
        EXPECT_EQ(recorder_.Texts(), c.message != nullptr ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        ClearBatchRows(window);
    }
    EXPECT_FALSE(FileExists(out_.File("e1.wav")));
    EXPECT_EQ(FinishedAudio(out_.File("a.wav")).size(), 8000u);
    EXPECT_EQ(FinishedAudio(out_.File("same.wav")).size(), in_.Path() < other.Path() ? 6000u : 4000u);
    // A row whose text holds no backslash stops the batch after the rows before it.
    recorder_.Clear();
    AddBatchRow(window, Tone("b.wav"), ulaw_);
    InsertSourceRow(window, 0, "zzz-no-folder.wav", "0", CreateSourceEntry(Pcm8k.data(), 16));
    RunBatch();
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Invalid filename encountered."});
    EXPECT_EQ(FinishedAudio(out_.File("b.wav")).size(), 8000u);
    ClearBatchRows(window);
    // A destination too long for a path stops before anything is created.
    std::string deep = out_.Path() + "\\" + std::string(250 - out_.Path().size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    lstrcpynA(Settings.DestinationPath, deep.c_str(), sizeof(Settings.DestinationPath));
    recorder_.Clear();
    AddBatchRow(window, Tone("long-enough-name.wav"), ulaw_);
    RunBatch();
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to convert audio file: the destination path is too long."});
    EXPECT_FALSE(FileExists(deep + "\\long-enough-name.wav"));
}
