// Conversions through the real codecs: single files, then whole batches
// through the real main window. What is written is read back by sox or byte
// by byte, and no source may change.
#include <gtest/gtest.h>
#include <algorithm>
#include "settings/settings.h"
#include <cmath>
#include "engine/chain/level_meter.h"
#include "engine/convert/conversion_plan.h"
#include "engine/batch/batch_steering.h"
#include "engine/convert/convert_file.h"
#include "engine/batch/destination_conflicts.h"
#include "engine/batch/destination_path.h"
#include "engine/batch/progress.h"
#include "engine/wave/wave_file.h"
#include "res/resource.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"

namespace {

using enum ConvertResult;

const Bytes Pcm8k = PcmFormat(1, 8000, 16);
// Wine decodes Microsoft ADPCM but cannot encode it.
const Bytes Adpcm = Join({Bytes{2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 16, 0, 0, 0, 1, 4, 0, 32, 0, 0xF4, 1, 7, 0}, Bytes(28, 0)});

// The level of the 1 kHz tone in the first channel, and how far all else
// lies below it, in dB, over the middle half of the samples.
std::pair<double, double> ToneAndRest(const std::vector<int16_t>& samples, uint32_t channels, uint32_t rate)
{
    double re = 0, im = 0, power = 0, n = 0;
    for (size_t i = samples.size() / channels / 4; i < samples.size() / channels * 3 / 4; ++i, ++n) {
        double value = samples[i * channels] / 32768.0, phase = 6.283185307179586 * 1000 * double(i) / rate;
        power += value * value, re += value * std::cos(phase), im += value * std::sin(phase);
    }
    double tone = 2 * std::pow(std::hypot(re, im) / n, 2);  // the power of its amplitude's sine
    return {10 * std::log10(2 * tone), 10 * std::log10(tone / (power / n - tone))};
}

// What one codec stream makes of audio in one call, as every file was
// converted before there was a chain.
Bytes BareStream(Bytes from, Bytes to, Bytes audio)
{
    from.resize(std::max<size_t>(from.size(), 18)), to.resize(std::max<size_t>(to.size(), 18));
    auto* source = reinterpret_cast<WAVEFORMATEX*>(from.data());
    auto* destination = reinterpret_cast<WAVEFORMATEX*>(to.data());
    HACMSTREAM stream = nullptr;
    DWORD size = 0;
    EXPECT_EQ(acmStreamOpen(&stream, nullptr, source, destination, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), 0u);
    acmStreamSize(stream, DWORD(audio.size()), &size, ACM_STREAMSIZEF_SOURCE);
    Bytes out(size);
    ACMSTREAMHEADER header = {sizeof(header), 0, 0, audio.data(), DWORD(audio.size()), 0, 0, out.data(), size, 0, 0, {}};
    acmStreamPrepareHeader(stream, &header, 0);
    EXPECT_EQ(acmStreamConvert(stream, &header, ACM_STREAMCONVERTF_BLOCKALIGN), 0u);
    out.resize(header.cbDstLengthUsed);
    acmStreamUnprepareHeader(stream, &header, 0);
    acmStreamClose(stream, 0);
    return out;
}

class Conversions : public testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        lstrcpynA(Settings.DestinationPath, out_.Path().c_str(), sizeof(Settings.DestinationPath));
        BatchStatistics = {};
        BatchStatistics.TotalBytes = 1;
        MainDialog = nullptr;
    }
    void TearDown() override
    {
        if (window_ != nullptr)
            ClearBatchRows(window_), DestroyWindow(window_);
        for (const auto& [path, bytes] : sources_)
            EXPECT_TRUE(ReadWholeFile(path) == bytes) << path << " changed";
    }
    std::string Source(const std::string& path, const Bytes& bytes)
    {
        WriteWholeFile(path, bytes);
        sources_.emplace_back(path, bytes);
        return path;
    }
    std::string Tone(const std::string& name, uint32_t frames = 8000)
    {
        return Source(in_.File(name), PcmWave(1, 8000, SineSamples(8000, 1, frames, 440)));
    }
    ConvertResult Convert(const std::string& source, const std::string& destination, const Bytes& format)
    {
        Bytes from(MaxFormatBytes);
        DWORD length = 0;
        EXPECT_TRUE(ReadSourceFormat(source.c_str(), from.data(), &length));
        ConvertOptions options;
        options.BlockSize = BlockSizeInBytes(Settings.BufferSize);
        return ConvertFile(source.c_str(), from.data(), length, destination.c_str(), format.data(), DWORD(format.size()),
                           nullptr, options);
    }
    // The audio of a finished destination whose format chunk is format.
    Bytes Audio(const std::string& path, const Bytes& format)
    {
        Bytes file = ReadWholeFile(path);
        EXPECT_TRUE(ReadU32(file, 16) == format.size() && std::equal(format.begin(), format.end(), file.begin() + 20)) << path;
        return FinishedAudio(path);
    }
    void RunBatch()
    {
        Press(window_, IDC_CONVERT);
        ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
        EXPECT_EQ(ControlText(window_, IDC_CONVERT), "Convert");
    }

    ScratchFolder in_, out_, other_;
    const Bytes ulaw_ = SuggestFormat(Pcm8k, WAVE_FORMAT_MULAW);
    HWND window_ = nullptr;
    MessageRecorder recorder_;
    std::vector<std::pair<std::string, Bytes>> sources_;
};

}  // namespace

TEST_F(Conversions, EveryCodecWritesWhatSoxDecodesToTheSourceAndDecodesWhatSoxWrote)
{
    const struct {
        WORD tag;
        uint32_t rate;
        uint16_t channels, bits;
        double minimumSnr;
    } cases[] = {{WAVE_FORMAT_IMA_ADPCM, 44100, 2, 16, 30}, {WAVE_FORMAT_ALAW, 8000, 1, 16, 30},
                 {WAVE_FORMAT_MULAW, 22050, 2, 16, 30},     {WAVE_FORMAT_GSM610, 8000, 1, 16, 15},
                 {WAVE_FORMAT_PCM, 22050, 1, 16, 90},       {WAVE_FORMAT_PCM, 44100, 1, 8, 30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tag << " " << c.bits);
        std::vector<int16_t> samples = SineSamples(c.rate, c.channels, c.rate * 2, 440), decoded;
        std::string source = Source(in_.File("source.wav"), PcmWave(c.channels, c.rate, samples)), info;
        Bytes format = PcmFormat(c.channels, c.rate, c.bits);
        if (c.tag != WAVE_FORMAT_PCM)
            format = SuggestFormat(format, c.tag);
        ASSERT_EQ(Convert(source, out_.File("out.wav"), format), Converted);
        size_t blockAlign = reinterpret_cast<const WAVEFORMATEX*>(format.data())->nBlockAlign;
        EXPECT_EQ(Audio(out_.File("out.wav"), format).size() % blockAlign, 0u);
        ASSERT_TRUE(SoxDecode(out_.File("out.wav"), decoded, &info));
        std::string precision = "Precision      : " + std::to_string(c.bits) + "-bit";
        EXPECT_TRUE(c.tag != WAVE_FORMAT_PCM || info.find(precision) != std::string::npos) << info;
        EXPECT_GT(decoded.size(), samples.size() * 9 / 10);
        EXPECT_GT(SignalToNoise(samples, decoded), c.minimumSnr);
        sources_.clear();
    }
    for (const char* encoding : {"ms-adpcm", "ima-adpcm"}) {
        std::string pcm = Tone("pcm.wav", 22050), adpcm = in_.File(encoding + std::string(".wav"));
        ASSERT_EQ(RunUnixCommand("sox " + UnixArgument(pcm) + " -e " + encoding + " " + UnixArgument(adpcm)), 0);
        ASSERT_EQ(Convert(adpcm, out_.File("out.wav"), Pcm8k), Converted) << encoding;
        std::vector<int16_t> ours = SamplesOf(Audio(out_.File("out.wav"), Pcm8k)), theirs;
        ASSERT_TRUE(SoxDecode(adpcm, theirs));
        EXPECT_GT(ours.size(), 22050u * 9 / 10) << encoding;
        EXPECT_GT(SignalToNoise(theirs, ours), 40) << encoding;
    }
}

// 44.1 kHz stereo IMA ADPCM takes 8164 source bytes a block: 16 KB leave 56
// bytes behind each time, to be read again; the partial tail is filled up
// with silence into one more block.
// 75 seconds of it make output of several runs, written in their order, and
// blocks larger than the read-ahead ring and the write runs, decoded too.
TEST_F(Conversions, PartialBlocksAndEmptyAndCutSources)
{
    std::vector<int16_t> samples = SineSamples(44100, 2, 44100 * 75 + 777, 440), decoded;
    std::string source = Source(in_.File("long.wav"), PcmWave(2, 44100, samples));
    Bytes ima = SuggestFormat(PcmFormat(2, 44100, 16), WAVE_FORMAT_IMA_ADPCM);
    std::vector<Bytes> results;
    for (WORD kbytes : {16, 1024, 65535, 0}) {  // 0 counts as the default
        Settings.BufferSize = kbytes;
        ASSERT_EQ(Convert(source, out_.File("out.wav"), ima), Converted);
        ASSERT_EQ(Convert(out_.File("out.wav"), out_.File("back.wav"), PcmFormat(2, 44100, 16)), Converted);
        results.push_back(Join({ReadWholeFile(out_.File("out.wav")), ReadWholeFile(out_.File("back.wav"))}));
    }
    EXPECT_EQ(FinishedAudio(out_.File("out.wav")).size(), (samples.size() * 2 + 8163) / 8164 * 2048);
    EXPECT_TRUE(results[0] == results[1] && results[0] == results[2] && results[0] == results[3]);
    ASSERT_TRUE(SoxDecode(out_.File("out.wav"), decoded));
    EXPECT_GT(SignalToNoise(samples, decoded), 30);
    ASSERT_EQ(Convert(Source(in_.File("empty.wav"), PcmWave(2, 44100, {})), out_.File("empty.wav"), ima), Converted);
    EXPECT_EQ(ReadWholeFile(out_.File("empty.wav")).size(), 28 + ima.size() + 12);  // with its "fact" chunk
    // 100000 bytes declared, 8000 present: the file ends at its last byte,
    // and a longer destination there is replaced.
    Bytes cut = Join({RiffForm("WAVE", Chunk("fmt ", Pcm8k)), ChunkWithSize("data", 100000, {}),
                      SampleBytes(SineSamples(8000, 1, 4000, 440))});
    WriteWholeFile(out_.File("cut.wav"), Bytes(500000, 0x55));
    ASSERT_EQ(Convert(Source(in_.File("cut.wav"), cut), out_.File("cut.wav"), ulaw_), Converted);
    EXPECT_EQ(Audio(out_.File("cut.wav"), ulaw_).size(), 4000u);
}

// An IMA ADPCM file whose last block is partly filled, as editors end one,
// with its "fact" count: that block is decoded as far as it holds samples,
// so the destination is as long as sox decodes the source, at its own rate
// and, through the chain, at another.
TEST_F(Conversions, APartlyFilledLastAdpcmBlockIsConvertedToItsEnd)
{
    std::string made = in_.File("sox-ima.wav");
    ASSERT_EQ(RunUnixCommand("sox " + UnixArgument(Tone("tone.wav")) + " -e ima-adpcm " + UnixArgument(made)), 0);
    Bytes ima = ReadWholeFile(made);
    auto at = [&](const char* code) { return size_t(std::search(ima.begin(), ima.end(), code, code + 4) - ima.begin()); };
    const uint32_t block = ReadU32(ima, 32) & 0xFFFF, perBlock = (block - 4) * 2 + 1;
    const uint32_t whole = ReadU32(ima, at("data") + 4) / block - 1;
    // The last block keeps its header and 26 of its 4-byte groups.
    uint32_t dataSize = whole * block + 4 + 26 * 4, frames = whole * perBlock + 1 + 26 * 8;
    Bytes cut(ima.begin(), ima.begin() + at("data") + 8 + dataSize);
    memcpy(cut.data() + at("data") + 4, &dataSize, 4);
    ASSERT_LT(at("fact"), at("data"));
    memcpy(cut.data() + at("fact") + 8, &frames, 4);
    uint32_t riff = uint32_t(cut.size() - 8);
    memcpy(cut.data() + 4, &riff, 4);
    std::string source = Source(in_.File("partly.wav"), cut);
    std::vector<int16_t> theirs;
    ASSERT_TRUE(SoxDecode(source, theirs));
    EXPECT_EQ(theirs.size(), frames);
    for (uint32_t rate : {8000u, 11025u}) {
        ASSERT_EQ(Convert(source, out_.File("out.wav"), PcmFormat(1, rate, 16)), Converted);
        size_t ours = Audio(out_.File("out.wav"), PcmFormat(1, rate, 16)).size() / 2;
        EXPECT_NEAR(double(ours), double(theirs.size()) * rate / 8000, 1.0) << rate;
    }
}

// Every kind of source the own reader takes and two that codecs decode, into
// the formats of telephone systems and games, read back by sox: the samples
// that the rates imply, counted by a "fact" chunk right after "fmt ", and
// the tone at its level. Malformed extensible formats are refused.
TEST_F(Conversions, EveryKindOfSourceReachesTelephoneAndGameFormats)
{
    const WORD ext = WAVE_FORMAT_EXTENSIBLE;
    std::vector<std::pair<std::string, std::string>> sources;
    auto add = [&](const std::string& name, const Bytes& format) {
        sources.emplace_back(name, Source(in_.File(name + ".wav"), ToneWave(format)));
    };
    add("u8", WaveFormat(1, 1, 22050, 8)), add("s16", WaveFormat(1, 2, 44100, 16));
    add("s24", WaveFormat(1, 1, 96000, 24)), add("20 in 24, mask", WaveFormat(ext, 2, 48000, 24, 20, 3));
    add("s32", WaveFormat(1, 2, 48000, 32)), add("f32", WaveFormat(3, 1, 44100, 32));
    add("f64", WaveFormat(3, 2, 48000, 64)), add("3 floats, no mask", WaveFormat(ext, 3, 32000, 32, 0, 0, 3));
    add("5.1", WaveFormat(ext, 6, 48000, 16, 16, 0x3F));
    for (auto [coding, rate] : {std::pair{"ima-adpcm", 22050}, {"gsm-full-rate", 8000}}) {
        add(coding + std::string(" from"), WaveFormat(1, 1, rate, 16));
        std::string pcm = UnixArgument(sources.back().second);
        sources.back() = {coding, in_.File(coding + std::string(".wav"))};
        ASSERT_EQ(RunUnixCommand("sox " + pcm + " -e " + coding + " " + UnixArgument(sources.back().second)), 0);
    }
    const Bytes ima = SuggestFormat(WaveFormat(1, 2, 11025, 16), WAVE_FORMAT_IMA_ADPCM);
    const struct {
        Bytes format;
        uint32_t blockFrames;
        double level;  // the least the tone keeps above all else
    } destinations[] = {{ulaw_, 1, 30}, {SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610), 320, 15},
                        {ima, ReadU32(ima, 16) >> 16, 20}, {Pcm8k, 1, 30}};
    for (const auto& [name, path] : sources) {
        for (const auto& d : destinations) {
            SCOPED_TRACE(name + " to " + std::to_string(ReadU32(d.format, 0) % 65536));
            ASSERT_EQ(Convert(path, out_.File("out.wav"), d.format), Converted);
            const uint32_t channels = ReadU32(d.format, 0) >> 16, rate = ReadU32(d.format, 4);
            std::vector<int16_t> decoded;
            ASSERT_TRUE(SoxDecode(out_.File("out.wav"), decoded));
            const uint32_t frames = uint32_t(decoded.size() / channels);
            EXPECT_NEAR(frames, rate, d.blockFrames + rate / 100);  // a codec's blocks on either side
            Bytes file = ReadWholeFile(out_.File("out.wav"));
            const size_t fact = 20 + (d.format.size() + 1) / 2 * 2;
            const bool pcm = d.format.size() == 16;
            EXPECT_EQ(std::string(file.begin() + fact, file.begin() + fact + 4), pcm ? "data" : "fact");
            // The last block is filled up with silence; the count is the
            // true length, which sox does not cut the block to.
            EXPECT_TRUE(pcm || (ReadU32(file, fact + 4) == 4 && ReadU32(file, fact + 8) <= frames &&
                                ReadU32(file, fact + 8) + d.blockFrames > frames));
            auto [tone, rest] = ToneAndRest(decoded, channels, rate);
            EXPECT_NEAR(tone, -6, 1.5);
            EXPECT_GT(rest, d.level);
        }
    }
    // Valid bits above the container, a mask of three channels for two, an
    // unknown sub-format, float of 24 bits.
    int bad = 0;
    for (const Bytes& malformed : {WaveFormat(ext, 2, 48000, 16, 17, 3), WaveFormat(ext, 2, 48000, 16, 16, 7),
                                   WaveFormat(ext, 2, 48000, 16, 16, 3, 0x55), WaveFormat(ext, 2, 48000, 24, 24, 3, 3)}) {
        std::string name = "bad" + std::to_string(++bad) + ".wav";
        Source(in_.File(name), RiffForm("WAVE", Join({Chunk("fmt ", malformed), Chunk("data", Bytes(9600, 0x40))})));
        EXPECT_EQ(Convert(in_.File(name), out_.File(name), Pcm8k), Failed);
        EXPECT_FALSE(FileExists(out_.File(name)));
    }
}

// The stages planned for pairs of formats, the codecs asked through a
// recorder: one stream where it changes nothing but the coding (and then
// the audio is the bare stream's), else the chain with the codecs it needs.
TEST_F(Conversions, OneStreamWhereItChangesOnlyTheCodingElseTheChain)
{
    const Bytes stereo = PcmFormat(2, 44100, 16), ima = SuggestFormat(stereo, WAVE_FORMAT_IMA_ADPCM);
    std::string asked;
    auto record = [&](CodecStage stage, WAVEFORMATEX* from, WAVEFORMATEX* to) {
        asked += "DdE"[int(stage)];
        return acmStreamOpen(nullptr, nullptr, from, to, nullptr, 0, 0, ACM_STREAMOPENF_QUERY) == 0;
    };
    const struct {
        Bytes from, to;
        std::string plan;
    } cases[] = {{Pcm8k, ulaw_, "one stream: D"}, {stereo, ima, "one stream: D"}, {ima, stereo, "one stream: D"},
                 {PcmFormat(1, 48000, 16), ulaw_, "own, chain, codec: E"},
                 {WaveFormat(3, 2, 48000, 32), stereo, "own, chain, PCM: "},
                 {SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610), ulaw_, "codec, chain, codec: dE"},
                 {Pcm8k, Adpcm, "none: DE"}, {WaveFormat(WAVE_FORMAT_EXTENSIBLE, 2, 48000, 16, 17, 3), stereo, "none: "}};
    std::string out = out_.File("o.wav"), stereoTone = in_.File("s.wav");
    Source(stereoTone, PcmWave(2, 44100, SineSamples(44100, 2, 44100, 440)));
    std::vector<std::string> direct = {Tone("t.wav"), stereoTone, out_.File("ima.wav")};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Bytes &from = cases[i].from, &to = cases[i].to;
        asked.clear();
        auto plan = PlanConversion(from.data(), DWORD(from.size()), to.data(), DWORD(to.size()), record);
        std::string route = !plan ? "none" : plan->Direct ? "one stream" : plan->DecodeByCodec ? "codec" : "own";
        if (plan && !plan->Direct)
            route += plan->EncodeByCodec ? ", chain, codec" : ", chain, PCM";
        EXPECT_EQ(route + ": " + asked, cases[i].plan);
        EXPECT_EQ(ChainCanReach(from.data(), DWORD(from.size()), to.data(), DWORD(to.size()), 0), plan.has_value());
        if (i >= direct.size())
            continue;
        ASSERT_EQ(Convert(direct[i], out, to), Converted);
        // The bare stream drops a last partial block, which the converter
        // fills up into one more (or, decoding, keeps as far as it holds).
        Bytes ours = Audio(out, to), bare = BareStream(from, to, FinishedAudio(direct[i]));
        size_t common = std::min(ours.size(), bare.size());
        EXPECT_TRUE(std::equal(ours.begin(), ours.begin() + common, bare.begin())) << i;
        EXPECT_LT(std::max(ours.size(), bare.size()) - common, 8164u) << i;
        CopyFileA(out.c_str(), out_.File("ima.wav").c_str(), FALSE);
    }
}

TEST(DestinationPath, FolderBackslashAndFileName)
{
    char out[256];
    std::string folder(250, 'f');
    const struct {
        const char *folder, *source, *joined;
        DestinationJoin result;
        size_t tree = 0;  // where the part below a handed-over folder begins
    } cases[] = {{"C:\\OUT", "D:\\SRC\\A.WAV", "C:\\OUT\\A.WAV", DestinationJoin::Joined},
                 {"C:\\", "D:\\SRC\\A.WAV", "C:\\A.WAV", DestinationJoin::Joined},
                 {"C:\\OUT", "A.WAV", "", DestinationJoin::NoBackslash},
                 {folder.c_str(), "D:\\abcde", "", DestinationJoin::TooLong},
                 {folder.c_str(), "D:\\abcd", nullptr, DestinationJoin::Joined},
                 {"C:\\OUT", "D:\\P\\en\\uk\\A.WAV", "C:\\OUT\\en\\uk\\A.WAV", DestinationJoin::Joined, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(JoinDestinationPath(c.folder, c.source, out, sizeof(out), c.tree), c.result) << c.source;
        EXPECT_EQ(std::string(out), c.joined != nullptr ? c.joined : folder + "\\abcd");
    }
    // A part below the folder never leaves the destination folder.
    for (const char* outside : {"D:\\P\\..\\A.WAV", "D:\\P\\\\A.WAV", "D:\\P\\C:A.WAV", "D:\\P\\en\\.\\A.WAV", "D:\\P\\"})
        EXPECT_EQ(JoinDestinationPath("C:\\OUT", outside, out, sizeof(out), 5), DestinationJoin::OutsideFolder) << outside;
    // Names compared whole and regardless of case; rows without a folder are left to the batch.
    std::vector<ListedSource> rows = {{"D:\\in\\own.wav", true}, {"C:\\out\\OWN.WAV", false}, {"D:\\in\\own.wav2", true}, {"n.wav", true}};
    for (char folder : std::string("123456"))
        rows.push_back({std::string("E:\\") + folder + "\\n.wav", true});
    std::string shown = "Unable to convert: 7 marked files would overwrite a source file or each other:\n\nc:\\OUT\\own.wav";
    for (int i = 0; i < 4; ++i)
        shown += "\nc:\\OUT\\n.wav";
    EXPECT_EQ(ConflictText(ConflictingDestinations(rows, "c:\\OUT")), shown + "\nand 2 more.");
}

TEST_F(Conversions, ABatchConvertsTheMarkedRowsInListOrderAndTellsWhyItCannotGoOn)
{
    window_ = CreateBatchWindow();
    std::vector<std::string> infoAtMessage;  // the info line as it stood when each message came
    recorder_.SetResponder([&](const ShownMessage& shown) {
        EXPECT_EQ(shown.Title + std::to_string(shown.Style), "Error" + std::to_string(MB_OK | MB_ICONHAND));
        return infoAtMessage.push_back(ControlText(window_, IDC_CONVERT) + ": " + ControlText(window_, IDC_CONVERT_INFO)), IDOK;
    });
    auto refused = [](const char* count) {
        return "Unable to convert: " + std::string(count) + " marked files would overwrite a source file or each other:\n\n";
    };
    const std::string deep = out_.File(std::string(250 - out_.Path().size(), 'd'));
    const std::string unmeasured = "Unable to calculate size of all files marked for conversion.";
    const std::string failed = "Unable to convert audio file.";
    const std::string tooLong = "Unable to convert: 1 marked files would get a destination path that is too long:\n\n";
    const std::string deeper = out_.File(std::string(245 - out_.Path().size(), 'e'));
    CreateDirectoryA(deep.c_str(), nullptr), CreateDirectoryA(deeper.c_str(), nullptr);
    auto add = [&](const std::string& source, const Bytes& format = {}) { AddBatchRow(window_, source, format); };
    // Folders below in_ with their files, dropped and then all marked.
    auto drop = [&](const std::vector<std::string>& folders, std::initializer_list<std::string> files) {
        for (const std::string& file : files) {
            for (size_t at = 0; (at = file.find('\\', at + 1)) != std::string::npos;)
                CreateDirectoryA(in_.File(file.substr(0, at)).c_str(), nullptr);
            Tone(file);
        }
        std::vector<std::string> dropped;
        for (const std::string& folder : folders)
            dropped.push_back(in_.File(folder));
        DropPaths(window_, dropped);
        for (int row = 0; row < int(RowTexts(window_).size()); ++row) {
            HGLOBAL entry = GetRowEntry(GetDlgItem(window_, IDC_FILE_LIST), row);
            SetDestinationHandle(entry, CreateFormatBlock(ulaw_.data(), DWORD(ulaw_.size())));
        }
        UpdateConvertButton(window_);
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(window_, IDC_CONVERT)));
    };
    auto other = [&](const char* name, uint32_t frames) {
        return Source(other_.File(name), PcmWave(1, 8000, SineSamples(8000, 1, frames, 440)));
    };
    const struct {
        const char* why;
        std::function<void()> arrange;
        std::vector<std::string> messages;
    } cases[] = {
        // Sorted by path: a b c d e f; b is not marked, e cannot be encoded.
        {"marked rows until one fails", [&] {
             for (const char* name : {"a.wav", "c.wav", "d.wav", "f.wav"})
                 add(Tone(name), ulaw_);
             add(Tone("b.wav")), add(Tone("e.wav"), Adpcm);
         }, {failed + "\n" + in_.File("e.wav") + ": the codec refuses the format (error 512)."}},
        {"no marked row", [&] { add(Tone("g.wav")); }, {unmeasured}},
        {"only empty files", [&] { add(Tone("e1.wav", 0), ulaw_), add(Tone("e2.wav", 0), ulaw_); }, {unmeasured}},
        {"a source in the destination folder", [&] {
             add(Tone("h.wav"), ulaw_), lstrcpyA(Settings.DestinationPath, in_.Path().c_str());
         }, {refused("1") + in_.File("h.wav")}},
        {"another row's source in the destination folder", [&] {
             add(Tone("song.wav"), ulaw_), add(other("SONG.WAV", 100)), lstrcpyA(Settings.DestinationPath, other_.Path().c_str());
         }, {refused("1") + other_.File("song.wav")}},
        {"a folder ending in a backslash", [&] { add(Tone("i.wav"), ulaw_), lstrcatA(Settings.DestinationPath, "\\"); }, {}},
        {"two sources of one name", [&] {
             add(Tone("same.wav", 4000), ulaw_), add(other("same.wav", 6000), ulaw_);
         }, {refused("2") + out_.File("same.wav") + "\n" + out_.File("same.wav")}},
        {"a row without a backslash after one with", [&] {
             add(Tone("j.wav"), ulaw_);
             InsertSourceRow(window_, "zzz-no-folder.wav", "0", CreateSourceEntry(Pcm8k.data(), 16));
         }, {"Invalid filename encountered."}},
        {"a destination too long for a path", [&] {
             add(Tone("long-enough-name.wav"), ulaw_), lstrcpyA(Settings.DestinationPath, deep.c_str());
         }, {tooLong + in_.File("long-enough-name.wav")}},
        // A folder's tree is kept below the destination folder, its top files go straight in.
        {"a dropped tree", [&] {
             drop({"tree"}, {"tree\\top.wav", "tree\\en\\hi.wav", "tree\\de\\hi.wav", "tree\\en\\uk\\hi.wav"});
         }, {}},
        {"two trees with one file", [&] { drop({"tree", "tree2"}, {"tree2\\en\\hi.wav"}); },
         {refused("2") + out_.File("en\\hi.wav") + "\n" + out_.File("en\\hi.wav")}},
        {"a file where a folder goes", [&] { WriteWholeFile(out_.File("x"), {}), drop({"t3"}, {"t3\\x\\k.wav"}); },
         {failed + "\n" + out_.File("x\\k.wav") + ": its folder cannot be created (error 183)."}},
        {"a deep part too long", [&] {
             drop({"t4"}, {"t4\\top.wav", "t4\\deeper\\top.wav"}), lstrcpyA(Settings.DestinationPath, deeper.c_str());
         }, {tooLong + in_.File("t4\\deeper\\top.wav")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        lstrcpynA(Settings.DestinationPath, out_.Path().c_str(), sizeof(Settings.DestinationPath));
        recorder_.Clear();
        c.arrange();
        RunBatch();
        EXPECT_EQ(recorder_.Texts(), c.messages);
        EXPECT_EQ(ControlText(window_, IDC_CONVERT_INFO), "");
        ClearBatchRows(window_);
    }
    // A refused batch never started: the button still read Convert.
    EXPECT_EQ(infoAtMessage, (std::vector<std::string>{"Stop: Converting file " + in_.File("e.wav") + " (4 of 5) ...",
        "Stop: ", "Stop: ", "Convert: ", "Convert: ", "Convert: ", "Stop: Converting file " + in_.File("j.wav") + " (1 of 1) ...", "Convert: ",
        "Convert: ", "Stop: Converting file " + in_.File("t3\\x\\k.wav") + " (1 of 1) ...", "Convert: "}));
    for (const char* name :
         {"a.wav", "c.wav", "d.wav", "i.wav", "j.wav", "top.wav", "en\\hi.wav", "de\\hi.wav", "en\\uk\\hi.wav"}) {
        std::vector<int16_t> decoded;
        ASSERT_TRUE(SoxDecode(out_.File(name), decoded)) << name;
        EXPECT_EQ(decoded.size(), 8000u) << name;
        EXPECT_GT(SignalToNoise(SineSamples(8000, 1, 8000, 440), decoded), 30) << name;
    }
    EXPECT_TRUE(!FileExists(out_.File("b.wav")) && !FileExists(out_.File("f.wav")) && !FileExists(out_.File("e1.wav")));
    EXPECT_TRUE(HasPlaceholders(out_.File("e.wav")));
    EXPECT_FALSE(FileExists(out_.File("same.wav")));
    EXPECT_FALSE(FileExists(deep + "\\long-enough-name.wav"));
    EXPECT_FALSE(FileExists(deeper + "\\deeper") || FileExists(deeper + "\\top.wav"));
}

// Prompts at three levels brought to one speech level, through the chain
// also where one stream would do, measured again by the program's own
// meter; a silent file and one of last-bit noise keep theirs; a click that
// holds a prompt short of the level names it after the batch. Then a tone
// at one peak.
TEST_F(Conversions, ABatchBringsEveryFileToOneSpeechLevelOrOnePeak)
{
    window_ = CreateBatchWindow();
    recorder_.SetResponder([&](const ShownMessage& shown) {
        EXPECT_EQ(shown.Title + std::to_string(shown.Style), "Warning" + std::to_string(MB_OK | MB_ICONEXCLAMATION));
        return IDOK;
    });
    auto measured = [&](const std::string& name) {
        std::vector<float> samples;
        for (int16_t sample : SamplesOf(Audio(out_.File(name), Pcm8k)))
            samples.push_back(sample / 32768.0f);
        LevelMeter meter;
        meter.Start(8000, 1);
        meter.Add(samples.data(), samples.size());
        return meter;
    };
    auto add = [&](const std::string& name, uint32_t rate, std::vector<int16_t> samples) {
        AddBatchRow(window_, Source(in_.File(name), PcmWave(1, rate, samples)), Pcm8k);
    };
    Settings.LevelMode = LevelSpeech, Settings.LevelTarget = 260;
    add("loud.wav", 8000, SpeechLikeSamples(8000, 8000 * 9, -16));
    add("soft.wav", 16000, SpeechLikeSamples(16000, 16000 * 9, -36));
    add("faint.wav", 8000, SpeechLikeSamples(8000, 8000 * 9, -46));
    std::vector<int16_t> clicked = SpeechLikeSamples(8000, 8000 * 9, -46), silent(8000), lastBit(8000);
    clicked[4000] = 16384;
    for (size_t i = 0; i < lastBit.size(); ++i)
        lastBit[i] = int16_t(i % 3) - 1;
    add("clicked.wav", 8000, clicked), add("silent.wav", 8000, silent), add("last-bit.wav", 8000, lastBit);
    RunBatch();
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"1 files could not reach the speech level without clipping:\n\n" +
                                                          in_.File("clicked.wav")});
    const float ceiling = std::pow(10.0f, -1 / 20.0f);
    for (const char* name : {"loud.wav", "soft.wav", "faint.wav", "clicked.wav"}) {
        LevelMeter meter = measured(name);
        ASSERT_TRUE(meter.ActiveLevel()) << name;
        EXPECT_TRUE(std::string(name) == "clicked.wav" || std::abs(*meter.ActiveLevel() + 26) < 0.3) << name << " " << *meter.ActiveLevel();
        EXPECT_LE(meter.Peak(), ceiling) << name;
    }
    EXPECT_LT(*measured("clicked.wav").ActiveLevel(), -26.5);
    EXPECT_TRUE(Audio(out_.File("silent.wav"), Pcm8k) == SampleBytes(silent));
    EXPECT_TRUE(Audio(out_.File("last-bit.wav"), Pcm8k) == SampleBytes(lastBit));

    ClearBatchRows(window_);
    recorder_.Clear();
    Settings.LevelMode = LevelPeak, Settings.LevelTarget = 10;
    add("tone.wav", 8000, SineSamples(8000, 1, 8000, 440, 3000));
    RunBatch();
    EXPECT_NEAR(20 * std::log10(measured("tone.wav").Peak()), -1.0, 0.1);
    EXPECT_TRUE(recorder_.Texts().empty());
}

// A source that says all about itself, in copies that one batch converts to
// PCM 16-bit 22,050 Hz mono, u-law 8 kHz mono and GSM 6.10: behind the audio
// the chunks it keeps, in the source's order, copied byte for byte or
// rewritten for the new rate; nothing behind GSM's audio; the source's time
// on every destination. Malformed chunks are left out, and with the setting
// off a destination is a plain conversion's.
TEST_F(Conversions, ABatchKeepsWhatTheSourceSaysAboutItselfBehindTheAudio)
{
    auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    auto dataOf = [](const Bytes& chunk) { return FormChunks(Join({Bytes(12), chunk}))[0].second; };
    const std::vector<uint32_t> cues = {0, 11025, 44099, 50000};  // the last beyond the audio
    const std::string history = "A=PCM,F=44100,W=16,M=stereo,T=Field recorder\r\n";
    Bytes ltxt = Join({Bytes{3, 0, 0, 0}, Bytes{0x22, 0x56, 0, 0}, text("rgn "), Bytes(8, 0), text("Verse")});
    const Bytes bext = BroadcastChunk("Morning news, take 3", 3600ull * 44100, history + std::string(3, '\0'));
    const Bytes labels = ListChunk("adtl", Join({Chunk("labl", Join({Bytes{1, 0, 0, 0}, text("Intro")})),
                                                 Chunk("note", Join({Bytes{2, 0, 0, 0}, text("Cough")})), Chunk("ltxt", ltxt)}));
    const std::vector<Bytes> kept = {bext, ListChunk("INFO", Join({Chunk("INAM", text("Station ident")), Chunk("ISFT", text("Rec"))})),
        CueChunk(cues), labels, SamplerChunk(44100, 4410, 44099), Chunk("MD5 ", Bytes(16, 0xAB)), Chunk("iXML", text("<BWFXML/>")),
        Chunk("_PMX", text("<x:xmpmeta/>")), Chunk("id3 ", text("ID3\3\0\0\0\0\0\0")), Chunk("acid", Bytes(24, 1)),
        Chunk("inst", Bytes{60, 0, 0, 0, 127, 0, 127}), Chunk("cart", text("0101Ident")), Chunk("axml", text("<ebu/>")),
        Chunk("umid", Bytes(24, 5)), Chunk("DISP", text("\1\0\0\0Ident")), Chunk("tvk1", Bytes(5, 9))};
    Bytes chunks = Join({Chunk("fmt ", PcmFormat(2, 44100, 16)), Chunk("JUNK", Bytes(28, 0)), kept[0], kept[1],
                         Chunk("data", SampleBytes(SineSamples(44100, 2, 44100, 440))), Chunk("PEAK", Bytes(24, 2)),
                         Chunk("chna", Bytes(44, 3)), Chunk("levl", Bytes(128, 4)), Chunk("PAD ", Bytes(6, 0))});
    for (size_t i = 2; i < kept.size(); ++i)
        AppendRaw(chunks, kept[i].data(), kept[i].size());
    const Bytes source = RiffForm("WAVE", Join({chunks, Chunk("FLLR", Bytes(10, 0))}));
    const Bytes bad = RiffForm("WAVE", Join({Chunk("fmt ", PcmFormat(2, 44100, 16)), Chunk("data", Bytes(4000, 0)), kept[1],
        ListChunk("INFO", ChunkWithSize("INAM", 20, text("cut"))), ChunkWithSize("cue ", 28, Bytes{2, 0, 0, 0}) /* one point */,
        Bytes(24, 0), kept[6], ChunkWithSize("tvk2", 1000, Bytes(10, 1))}));
    const FILETIME recorded = {0x403F8000, 0x01C08D74};  // 3 February 2001
    const Bytes pcm = PcmFormat(1, 22050, 16), gsm = SuggestFormat(Pcm8k, WAVE_FORMAT_GSM610);
    const struct {
        const char* name;
        Bytes format;
        std::string codes;  // the destination's chunks
    } rows[] = {{"pcm.wav", pcm, "fmt data bext LIST cue LIST smpl MD5 iXML _PMX id3 acid inst cart axml umid DISP tvk1 "},
                {"ulaw.wav", ulaw_, "fmt fact data bext LIST cue LIST smpl MD5 iXML _PMX id3 acid inst cart axml umid DISP tvk1 "},
                {"gsm.wav", gsm, "fmt fact data "}, {"bad.wav", pcm, "fmt data LIST iXML "}};
    window_ = CreateBatchWindow();
    for (const auto& row : rows) {
        Source(in_.File(row.name), row.name == std::string("bad.wav") ? bad : source);
        HANDLE file = CreateFileA(in_.File(row.name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &recorded), CloseHandle(file);
        AddBatchRow(window_, in_.File(row.name), row.format);
    }
    RunBatch();
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::pair<std::string, Bytes>> got = FormChunks(ReadWholeFile(out_.File(row.name)));
        std::string codes;
        for (const auto& [code, data] : got)
            codes += code.substr(0, code.find_last_not_of(' ') + 1) + " ";
        EXPECT_EQ(codes, row.codes);
        WIN32_FILE_ATTRIBUTE_DATA attributes = {};
        GetFileAttributesExA(out_.File(row.name).c_str(), GetFileExInfoStandard, &attributes);
        EXPECT_EQ(CompareFileTime(&attributes.ftLastWriteTime, &recorded), 0);
        if (codes != row.codes || row.format == gsm)
            continue;
        const size_t data = row.format == pcm ? 1 : 2;
        if (row.name == std::string("bad.wav")) {
            EXPECT_TRUE(got[2].second == dataOf(kept[1]));
            continue;
        }
        const uint32_t rate = ReadU32(row.format, 4), frames = uint32_t(got[data].second.size() / (rate == 8000 ? 1 : 2));
        EXPECT_NEAR(frames, rate, rate / 100);
        auto scaled = [&](double position) { return std::min(std::round(position * rate / 44100), double(frames - 1)); };
        for (size_t i : {1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})  // copied as they are
            EXPECT_TRUE(got[data + 1 + i].second == dataOf(kept[i])) << i;
        // The time reference at the new rate, the history with one more line.
        const Bytes& broadcast = got[data + 1].second;
        EXPECT_TRUE(std::equal(broadcast.begin(), broadcast.begin() + 338, kept[0].begin() + 8));
        EXPECT_EQ(ReadU32(broadcast, 338) + (uint64_t(ReadU32(broadcast, 342)) << 32), 3600ull * rate);
        const std::string line = std::string(rate == 8000 ? "A=U-Law,F=8000,W=8" : "A=PCM,F=22050,W=16") + ",M=mono,T=Tonvelka 1.1\r\n";
        EXPECT_EQ(std::string(broadcast.begin() + 602, broadcast.end()), history + line);
        for (size_t i = 0; i < cues.size(); ++i) {
            EXPECT_NEAR(ReadU32(got[data + 3].second, 8 + 24 * i), scaled(cues[i]), 1) << i;
            EXPECT_NEAR(ReadU32(got[data + 3].second, 24 + 24 * i), scaled(cues[i]), 1) << i;
        }
        Bytes adtl = got[data + 4].second;
        const Bytes code = text("ltxt");
        const size_t length = std::search(adtl.begin(), adtl.end(), code.begin(), code.end()) - adtl.begin() + 12;
        EXPECT_NEAR(ReadU32(adtl, length), 22050.0 * rate / 44100, 1);
        memcpy(adtl.data() + length, ltxt.data() + 4, 4);
        EXPECT_TRUE(adtl == dataOf(labels));
        const Bytes& sampler = got[data + 5].second;
        EXPECT_EQ(ReadU32(sampler, 8), uint32_t(std::lround(1e9 / rate)));
        EXPECT_NEAR(ReadU32(sampler, 44), scaled(4410), 1);
        EXPECT_NEAR(ReadU32(sampler, 48), scaled(44099), 1);
        // A fresh checksum of the destination's audio, as md5sum counts it.
        WriteWholeFile(out_.File("audio.raw"), got[data].second);
        ASSERT_EQ(RunUnixCommand("md5sum " + UnixArgument(out_.File("audio.raw")) + " > " + UnixArgument(out_.File("md5.txt"))), 0);
        std::string sum;
        for (uint8_t byte : got[data + 6].second)
            sum += "0123456789abcdef"[byte >> 4], sum += "0123456789abcdef"[byte & 15];
        const Bytes said = ReadWholeFile(out_.File("md5.txt"));
        EXPECT_EQ(sum, std::string(said.begin(), said.begin() + std::min<size_t>(said.size(), 32)));
    }
    // An abort asked for once the audio is through stops among the chunks,
    // and the file shows unfinished.
    struct AbortAfterAudio final : ConversionHost {
        bool through = false;
        void FileStarted(uint64_t) override {}
        void BlockMeasured(DWORD, uint64_t, uint64_t) override {}
        void BlockConverted(DWORD, DWORD, uint64_t done, uint64_t work) override { through = done == work; }
        void FileConverted() override {}
        bool AbortRequested() override { return through; }
    } host;
    Source(in_.File("aborted.wav"), RiffForm("WAVE", Join({Chunk("fmt ", Pcm8k), Chunk("data", Bytes(1600, 0)), kept[6]})));
    ConvertOptions options;
    options.KeepMetadata = true, options.Host = &host;
    EXPECT_EQ(ConvertFile(in_.File("aborted.wav").c_str(), Pcm8k.data(), 16, out_.File("aborted.wav").c_str(), ulaw_.data(),
                          DWORD(ulaw_.size()), nullptr, options), Aborted);
    EXPECT_TRUE(host.through && HasPlaceholders(out_.File("aborted.wav")));
    // Off: what a conversion without the chunks writes.
    Settings.KeepMetadata = 0;
    RunBatch();
    for (const auto& row : rows) {
        ASSERT_EQ(Convert(in_.File(row.name), other_.File(row.name), row.format), Converted);
        EXPECT_TRUE(ReadWholeFile(out_.File(row.name)) == ReadWholeFile(other_.File(row.name))) << row.name;
    }
}
