// Converting single files through the real codecs; every result is read back
// by sox, an independent reader, and every source must stay byte-identical.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/convert_file.h"
#include "engine/progress.h"
#include "engine/wave_file.h"
#include "support/codec_formats.h"
#include "support/test_files.h"
#include "support/unix_tools.h"

namespace {

class ConvertFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        BatchStatistics = {};
        BatchStatistics.TotalBytes = 1;
        Conversion.AbortEvent = nullptr;
        Conversion.AbortSignalled = false;
        Conversion.StandStillAsked = false;
    }
    void TearDown() override
    {
        if (Conversion.AbortEvent != nullptr)
            CloseHandle(Conversion.AbortEvent);
        Conversion.AbortEvent = nullptr;
        Conversion.AbortSignalled = false;
        // No conversion may touch its source.
        for (const auto& [path, bytes] : sources_)
            EXPECT_EQ(ReadWholeFile(path), bytes) << path << " changed";
    }

    // Writes a source file and remembers its bytes.
    std::string Source(const std::string& name, const Bytes& bytes)
    {
        std::string path = folder_.File(name);
        WriteWholeFile(path, bytes);
        sources_.emplace_back(path, bytes);
        return path;
    }
    // A source written by sox from one of ours, remembered likewise.
    std::string SoxSource(const std::string& name, const std::string& from, const std::string& options)
    {
        std::string path = folder_.File(name);
        EXPECT_TRUE(Sox(ShellQuote(UnixPath(from)) + " " + options + " " + ShellQuote(UnixPath(path))));
        sources_.emplace_back(path, ReadWholeFile(path));
        return path;
    }

    static Bytes FormatOf(const std::string& path)
    {
        Bytes buffer(MaxFormatBytes);
        DWORD length = 0;
        EXPECT_TRUE(ReadSourceFormat(path.c_str(), buffer.data(), &length));
        buffer.resize(length);
        return buffer;
    }

    ConvertResult Convert(const std::string& source, const std::string& destination, const Bytes& format)
    {
        Bytes sourceFormat = FormatOf(source);
        return ConvertFile(source.c_str(), sourceFormat.data(), DWORD(sourceFormat.size()), destination.c_str(),
                           format.data(), DWORD(format.size()));
    }

    // The destination's "fmt " chunk and data, checked for the layout of a
    // finished file.
    static Bytes FinishedData(const std::string& path, const Bytes& format)
    {
        Bytes file = ReadWholeFile(path);
        size_t f2 = (format.size() + 1) & ~size_t(1);
        EXPECT_GE(file.size(), 28 + f2);
        if (file.size() < 28 + f2)
            return {};
        EXPECT_EQ(ReadU32(file, 4), file.size() - 8);
        EXPECT_EQ(ReadU32(file, 16), format.size());
        EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 20 + format.size()), format);
        uint32_t dataSize = ReadU32(file, 24 + f2);
        EXPECT_EQ(28 + f2 + ((dataSize + 1) & ~1u), file.size());
        return Bytes(file.begin() + 28 + f2, file.begin() + 28 + f2 + dataSize);
    }

    static void ExpectPlaceholders(const std::string& path)
    {
        Bytes file = ReadWholeFile(path);
        ASSERT_GE(file.size(), 44u);
        EXPECT_EQ(ReadU32(file, 4), PlaceholderChunkSize);
        size_t f2 = (ReadU32(file, 16) + 1) & ~1u;
        EXPECT_EQ(ReadU32(file, 24 + f2), PlaceholderChunkSize);
    }

    ScratchFolder folder_;
    std::vector<std::pair<std::string, Bytes>> sources_;
};

const Bytes Pcm44Stereo = PcmFormat(2, 44100, 16);

}  // namespace

TEST_F(ConvertFileTest, EncodesPcmWithTheInstalledCodecs)
{
    struct Case {
        const char* name;
        WORD tag;
        uint32_t rate;
        uint16_t channels;
        double minimumSnr;
    } cases[] = {
        {"ima", WAVE_FORMAT_IMA_ADPCM, 44100, 2, 30},
        {"alaw", WAVE_FORMAT_ALAW, 8000, 1, 30},
        {"ulaw", WAVE_FORMAT_MULAW, 22050, 2, 30},
        {"gsm", WAVE_FORMAT_GSM610, 8000, 1, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int16_t> samples = SineSamples(c.rate, c.channels, c.rate * 2, 440);
        std::string source = Source(std::string(c.name) + ".wav", PcmWave(c.channels, c.rate, samples));
        Bytes format = SuggestFormat(PcmFormat(c.channels, c.rate, 16), c.tag);
        ASSERT_FALSE(format.empty());
        std::string destination = folder_.File(std::string(c.name) + "-out.wav");
        ASSERT_EQ(Convert(source, destination, format), Converted);

        Bytes data = FinishedData(destination, format);
        EXPECT_EQ(data.size() % AsFormat(format).nBlockAlign, 0u);
        std::vector<int16_t> decoded;
        ASSERT_TRUE(SoxDecode(destination, decoded));
        EXPECT_GT(decoded.size(), samples.size() * 9 / 10);
        double snr = SignalToNoise(samples, decoded);
        EXPECT_GT(snr, c.minimumSnr);
    }
}

TEST_F(ConvertFileTest, ConvertsPcmToPcmOfAnotherShape)
{
    std::vector<int16_t> samples = SineSamples(44100, 2, 44100, 300);
    std::string source = Source("pcm.wav", PcmWave(2, 44100, samples));

    // Half the rate: every frame of the result is one of the source.
    Bytes half = PcmFormat(2, 22050, 16);
    std::string halfPath = folder_.File("half.wav");
    ASSERT_EQ(Convert(source, halfPath, half), Converted);
    std::vector<int16_t> decoded;
    ASSERT_TRUE(SoxDecode(halfPath, decoded));
    ASSERT_EQ(decoded.size(), samples.size() / 2);
    std::vector<int16_t> everyOther;
    for (size_t i = 0; i + 1 < samples.size(); i += 4) {
        everyOther.push_back(samples[i]);
        everyOther.push_back(samples[i + 1]);
    }
    // Wine changes the rate by dropping frames, without filtering.
    EXPECT_GT(SignalToNoise(everyOther, decoded), 15);

    // Mono, 8 bits: sox sees one channel of unsigned 8-bit samples.
    Bytes mono8 = PcmFormat(1, 44100, 8);
    std::string monoPath = folder_.File("mono8.wav");
    ASSERT_EQ(Convert(source, monoPath, mono8), Converted);
    EXPECT_EQ(FinishedData(monoPath, mono8).size(), samples.size() / 2);
    std::string info;
    ASSERT_TRUE(SoxDecode(monoPath, decoded, &info));
    EXPECT_NE(info.find("Channels       : 1"), std::string::npos) << info;
    EXPECT_NE(info.find("Precision      : 8-bit"), std::string::npos) << info;

    // 8 bits back to 16 is exact: every sample is the 8-bit one shifted up.
    std::string wide = folder_.File("wide.wav");
    ASSERT_EQ(Convert(monoPath, wide, PcmFormat(1, 44100, 16)), Converted);
    std::vector<int16_t> widened = SamplesFromBytes(FinishedData(wide, PcmFormat(1, 44100, 16)), 0, samples.size());
    Bytes eight = FinishedData(monoPath, mono8);
    ASSERT_EQ(widened.size(), eight.size());
    for (size_t i = 0; i < eight.size(); ++i)
        ASSERT_EQ(widened[i], int16_t((int(eight[i]) - 128) * 256)) << "sample " << i;
}

TEST_F(ConvertFileTest, DecodesAdpcmSourcesMadeBySox)
{
    std::vector<int16_t> samples = SineSamples(22050, 1, 22050, 500);
    std::string pcm = Source("pcm.wav", PcmWave(1, 22050, samples));
    for (const char* encoding : {"ms-adpcm", "ima-adpcm"}) {
        SCOPED_TRACE(encoding);
        std::string adpcm = SoxSource(std::string(encoding) + ".wav", pcm, std::string("-e ") + encoding);
        std::string destination = folder_.File(std::string(encoding) + "-pcm.wav");
        Bytes format = PcmFormat(1, 22050, 16);
        ASSERT_EQ(Convert(adpcm, destination, format), Converted);

        // Our decode and sox's own decode of the same file agree closely, and
        // both follow the original signal.
        std::vector<int16_t> ours = SamplesFromBytes(FinishedData(destination, format), 0);
        std::vector<int16_t> theirs;
        ASSERT_TRUE(SoxDecode(adpcm, theirs));
        EXPECT_GT(ours.size(), samples.size() * 9 / 10);
        EXPECT_GT(SignalToNoise(theirs, ours), 40);
        EXPECT_GT(SignalToNoise(samples, ours), 20);
    }
}

TEST_F(ConvertFileTest, ACodecThatCannotEncodeFailsAndLeavesPlaceholders)
{
    std::string source = Source("pcm.wav", PcmWave(1, 22050, SineSamples(22050, 1, 22050, 500)));
    // Wine decodes Microsoft ADPCM but cannot encode it.
    Bytes adpcm = SuggestFormat(PcmFormat(1, 22050, 16), WAVE_FORMAT_ADPCM);
    if (adpcm.empty()) {
        WAVEFORMATEX header = {WAVE_FORMAT_ADPCM, 1, 22050, 11155, 512, 4, 32};
        adpcm = FormatBytes(header, Bytes(32, 0));
    }
    std::string destination = folder_.File("out.wav");
    HACMSTREAM probe = nullptr;
    Bytes sourceFormat = FormatOf(source);
    sourceFormat.resize(sizeof(WAVEFORMATEX), 0);
    if (acmStreamOpen(&probe, nullptr, reinterpret_cast<WAVEFORMATEX*>(sourceFormat.data()),
                      reinterpret_cast<WAVEFORMATEX*>(adpcm.data()), nullptr, 0, 0, ACM_STREAMOPENF_QUERY) == 0)
        GTEST_SKIP() << "this system can encode Microsoft ADPCM";
    EXPECT_EQ(Convert(source, destination, adpcm), Failed);
    ExpectPlaceholders(destination);
}

TEST_F(ConvertFileTest, StepsBackOverPartialBlocksAndDropsTheTail)
{
    // 44.1 kHz stereo IMA ADPCM takes 8164 source bytes per block: a 16 KB
    // block leaves 56 bytes behind each time.
    std::vector<int16_t> samples = SineSamples(44100, 2, 44100 * 3 + 777, 440);
    std::string source = Source("long.wav", PcmWave(2, 44100, samples));
    Bytes format = SuggestFormat(Pcm44Stereo, WAVE_FORMAT_IMA_ADPCM);
    ASSERT_EQ(AsFormat(format).nBlockAlign, 2048);

    Settings.BufferSize = 16;
    std::string small = folder_.File("small.wav");
    ASSERT_EQ(Convert(source, small, format), Converted);
    Settings.BufferSize = 1024;
    std::string large = folder_.File("large.wav");
    ASSERT_EQ(Convert(source, large, format), Converted);

    Bytes data = FinishedData(small, format);
    size_t wholeBlocks = samples.size() * 2 / 8164;
    EXPECT_EQ(data.size(), wholeBlocks * 2048);
    EXPECT_EQ(data, FinishedData(large, format));
    EXPECT_EQ(BatchStatistics.ConsumedBytes, 2 * wholeBlocks * 8164);
}

TEST_F(ConvertFileTest, BufferSizeZeroConvertsLikeTheDefault)
{
    std::string source = Source("a.wav", PcmWave(2, 44100, SineSamples(44100, 2, 30000, 440)));
    Bytes format = SuggestFormat(Pcm44Stereo, WAVE_FORMAT_IMA_ADPCM);
    Settings.BufferSize = 0;
    std::string zero = folder_.File("zero.wav");
    ASSERT_EQ(Convert(source, zero, format), Converted);
    Settings.BufferSize = 16;
    std::string normal = folder_.File("normal.wav");
    ASSERT_EQ(Convert(source, normal, format), Converted);
    EXPECT_FALSE(FinishedData(zero, format).empty());
    EXPECT_EQ(ReadWholeFile(zero), ReadWholeFile(normal));
}

TEST_F(ConvertFileTest, EmptyAndTooShortSources)
{
    Bytes format = SuggestFormat(Pcm44Stereo, WAVE_FORMAT_IMA_ADPCM);
    std::string empty = Source("empty.wav", PcmWave(2, 44100, {}));
    std::string emptyOut = folder_.File("empty-out.wav");
    ASSERT_EQ(Convert(empty, emptyOut, format), Converted);
    EXPECT_TRUE(FinishedData(emptyOut, format).empty());
    EXPECT_EQ(BatchStatistics.ConsumedBytes, 0u);

    // Fewer bytes than one IMA ADPCM block needs.
    std::string tiny = Source("tiny.wav", PcmWave(2, 44100, SineSamples(44100, 2, 100, 440)));
    std::string tinyOut = folder_.File("tiny-out.wav");
    EXPECT_EQ(Convert(tiny, tinyOut, format), Failed);
    ExpectPlaceholders(tinyOut);
}

TEST_F(ConvertFileTest, ASourceCutShortEndsAtItsLastByte)
{
    std::vector<int16_t> samples = SineSamples(8000, 1, 4000, 440);
    Bytes data = SampleBytes(samples);
    Bytes file = RiffForm("WAVE", Chunk("fmt ", PcmFormat(1, 8000, 16)));
    Bytes header = ChunkWithSize("data", 100000, {});
    AppendRaw(file, header.data(), header.size());
    AppendRaw(file, data.data(), data.size());
    std::string source = Source("cut.wav", file);
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    std::string destination = folder_.File("cut-out.wav");
    ASSERT_EQ(Convert(source, destination, ulaw), Converted);
    EXPECT_EQ(FinishedData(destination, ulaw).size(), samples.size());
}

TEST_F(ConvertFileTest, NeverWritesOverItsSource)
{
    std::string source = Source("same.wav", PcmWave(1, 8000, SineSamples(8000, 1, 4000, 440)));
    EXPECT_EQ(Convert(source, source, SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW)), Failed);
}

TEST_F(ConvertFileTest, ReplacesAnExistingDestination)
{
    std::string source = Source("a.wav", PcmWave(1, 8000, SineSamples(8000, 1, 4000, 440)));
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    std::string destination = folder_.File("out.wav");
    WriteWholeFile(destination, Bytes(500000, 0x55));
    ASSERT_EQ(Convert(source, destination, ulaw), Converted);
    EXPECT_EQ(FinishedData(destination, ulaw).size(), 4000u);
}

TEST_F(ConvertFileTest, AnAbortBeforeTheFirstBlockWritesNoAudio)
{
    std::string source = Source("a.wav", PcmWave(1, 8000, SineSamples(8000, 1, 4000, 440)));
    Conversion.AbortEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SignalAbort();
    std::string destination = folder_.File("out.wav");
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    EXPECT_EQ(Convert(source, destination, ulaw), Aborted);
    ExpectPlaceholders(destination);
    EXPECT_EQ(ReadWholeFile(destination).size(), 28 + ((ulaw.size() + 1) & ~size_t(1)));
}

TEST_F(ConvertFileTest, AnAbortBetweenBlocksStopsAtTheNextLook)
{
    // GSM 6.10 is the slowest codec: 20 MB take over a second, time enough to
    // see the first blocks land before the abort.
    std::vector<int16_t> samples = SineSamples(8000, 1, 8000 * 600, 440);
    std::string source = Source("long.wav", PcmWave(1, 8000, samples));
    Bytes gsm = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_GSM610);
    std::string destination = folder_.File("out.wav");
    Conversion.AbortEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    std::atomic<bool> done = false;
    std::thread watcher([&] {
        while (!done) {
            WIN32_FILE_ATTRIBUTE_DATA attributes;
            if (GetFileAttributesExA(destination.c_str(), GetFileExInfoStandard, &attributes) &&
                attributes.nFileSizeLow > 1000) {
                SignalAbort();
                return;
            }
            Sleep(1);
        }
    });
    ConvertResult result = Convert(source, destination, gsm);
    done = true;
    watcher.join();
    EXPECT_EQ(result, Aborted);
    ExpectPlaceholders(destination);
    size_t written = ReadWholeFile(destination).size();
    EXPECT_GT(written, 1000u);
    EXPECT_LT(written, samples.size() * 2 / 10);
}

TEST(ConvertFileFlags, LowQualityLetsTheCodecWorkInRealTime)
{
    EXPECT_EQ(ConversionStreamOpenFlags(0), DWORD(ACM_STREAMOPENF_NONREALTIME));
    EXPECT_EQ(ConversionStreamOpenFlags(1), 0u);
}
