// Malformed and unusual source files through every reader of a source: each
// must end in a failure result or a valid destination, never in a crash, a
// hang, a read or write past a buffer, or a write beside the destination.
#include <gtest/gtest.h>
#include <map>
#include "app/settings.h"
#include "engine/convert_file.h"
#include "engine/wave_file.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/corpus_run.h"
#include "support/wave_corpus.h"

namespace {

// The mutations of the normal run: a fixed sample, the same every time.
constexpr uint64_t MutationSeed = 20240611;
constexpr size_t MutationSample = 300;

void RunAll(const std::vector<CorpusFile>& corpus, std::map<std::string, CorpusOutcome>* outcomes = nullptr)
{
    CorpusRunner runner;
    for (const CorpusFile& file : corpus) {
        CorpusOutcome outcome = runner.Run(file);
        for (const std::string& fault : outcome.Faults)
            ADD_FAILURE() << file.Name << ": " << fault;
        if (outcomes != nullptr)
            (*outcomes)[file.Name] = outcome;
    }
}

}  // namespace

TEST(WaveCorpus, IsTheSameForTheSameSeed)
{
    std::vector<CorpusFile> a = MutatedCorpus(7, 50);
    std::vector<CorpusFile> b = MutatedCorpus(7, 50);
    std::vector<CorpusFile> c = MutatedCorpus(8, 50);
    ASSERT_EQ(a.size(), 50u);
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Name, b[i].Name);
        EXPECT_EQ(a[i].Content, b[i].Content);
        differing += a[i].Content != c[i].Content;
    }
    EXPECT_GT(differing, 25u);
    // Every mutation differs from the file it started from.
    for (const CorpusFile& file : a)
        EXPECT_NE(file.Content, CorpusBaseWave()) << file.Name;
}

TEST(WaveCorpus, ReadsTheValidFileByTheRules)
{
    ExpectedReading valid = ReadByTheRules(CorpusBaseWave());
    EXPECT_TRUE(valid.FormatRead);
    EXPECT_EQ(valid.Format, CorpusBaseFormat());
    EXPECT_TRUE(valid.DataFound);
    EXPECT_EQ(valid.DataSize, 6000u);
    EXPECT_EQ(valid.DataOffset, 44u);
}

TEST(BadInput, TheValidFileConvertsToEveryTarget)
{
    CorpusRunner runner;
    CorpusOutcome outcome = runner.Run({"valid", CorpusBaseWave()});
    EXPECT_TRUE(outcome.Faults.empty());
    EXPECT_TRUE(outcome.FormatRead);
    EXPECT_TRUE(outcome.DataOpened);
    EXPECT_TRUE(outcome.Described);
    ASSERT_EQ(outcome.Results.size(), runner.Targets().size());
    for (size_t i = 0; i < outcome.Results.size(); ++i)
        EXPECT_EQ(outcome.Results[i], Converted) << runner.Targets()[i].Name;
}

TEST(BadInput, StructuredCasesEndInADocumentedResult)
{
    std::map<std::string, CorpusOutcome> outcomes;
    RunAll(StructuredCorpus(), &outcomes);
    // A few whose result is known, so that the run shows it reached them.
    ASSERT_TRUE(outcomes.count("empty file"));
    EXPECT_FALSE(outcomes["empty file"].FormatRead);
    EXPECT_FALSE(outcomes["empty file"].DataOpened);
    EXPECT_TRUE(outcomes["fmt of 1024 bytes"].FormatRead);
    EXPECT_FALSE(outcomes["fmt of 1025 bytes"].FormatRead);
    EXPECT_TRUE(outcomes["data before fmt"].FormatRead);
    EXPECT_TRUE(outcomes["data before fmt"].DataOpened);
}

TEST(BadInput, SeededMutationsEndInADocumentedResult)
{
    RunAll(MutatedCorpus(MutationSeed, MutationSample));
}

namespace {

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        AppendRaw(out, part.data(), part.size());
    return out;
}

Bytes Audio(size_t length) { return Bytes(length, 0x11); }

struct Reading {
    bool formatRead;
    bool dataFound;
    DWORD dataSize;
};

Reading ReadBoth(const std::string& path)
{
    Watchdog watchdog(10000);
    watchdog.Arm(path);
    Bytes buffer(MaxFormatBytes);
    DWORD length = 0;
    Reading r = {};
    r.formatRead = ReadSourceFormat(path.c_str(), buffer.data(), &length);
    WaveReader reader;
    r.dataFound = OpenWaveData(path.c_str(), reader);
    r.dataSize = reader.DataSize;
    watchdog.Disarm();
    return r;
}

}  // namespace

// A size near 4 GB steps back onto an earlier chunk in 32-bit arithmetic; the
// searches used to go round between the two for ever.
TEST(BadInput, ASizeThatWouldStepBackEndsTheSearch)
{
    ScratchFolder folder;
    const Bytes fmt = Chunk("fmt ", PcmFormat(1, 8000, 16));
    const Bytes data = Chunk("data", Audio(100));
    // 0xFFFFFFF8 leads back to the chunk itself, 0xFFFFFFF0 to the empty
    // chunk before it.
    WriteWholeFile(folder.File("self.wav"), Join({ChunkWithSize("JUNK", 0xFFFFFFF8, Audio(8)),
                                                  RiffForm("WAVE", Join({fmt, data}))}));
    WriteWholeFile(folder.File("back.wav"),
                   RiffForm("WAVE", Join({Chunk("JUNK", {}), ChunkWithSize("LIST", 0xFFFFFFF0, Audio(8)), fmt, data})));
    WriteWholeFile(folder.File("back-data.wav"),
                   RiffForm("WAVE", Join({fmt, Chunk("JUNK", {}), ChunkWithSize("fact", 0xFFFFFFF0, Audio(4)), data})));
    for (const char* name : {"self.wav", "back.wav", "back-data.wav"}) {
        Reading r = ReadBoth(folder.File(name));
        EXPECT_EQ(r.formatRead, std::string(name) == "back-data.wav") << name;
        EXPECT_FALSE(r.dataFound) << name;
    }
}

// A size beyond 2 GB cannot be stepped over by a seek; the search used to go
// on from the middle of the chunk and take whatever stood there as chunks.
TEST(BadInput, ASizeBeyondReachEndsTheSearch)
{
    ScratchFolder folder;
    const Bytes fmt = Chunk("fmt ", PcmFormat(1, 8000, 16));
    for (uint32_t size : {0x7FFFFFFFu, 0x80000000u}) {
        WriteWholeFile(folder.File("a.wav"), RiffForm("WAVE", Join({ChunkWithSize("fmt ", size, PcmFormat(1, 8000, 16)),
                                                                    Chunk("data", Audio(100))})));
        Reading r = ReadBoth(folder.File("a.wav"));
        EXPECT_FALSE(r.formatRead) << size;
        EXPECT_FALSE(r.dataFound) << size;
    }
}

// The form's own size bounds the format search: it ends at the end of the
// form, also when the size reaches past the end of the file or 4 GB.
TEST(BadInput, TheFormatSearchEndsAtTheEndOfTheForm)
{
    ScratchFolder folder;
    const Bytes fmt = Chunk("fmt ", PcmFormat(1, 8000, 16));
    const Bytes data = Chunk("data", Audio(100));
    WriteWholeFile(folder.File("after.wav"), Join({RiffForm("WAVE", data), fmt}));
    Reading after = ReadBoth(folder.File("after.wav"));
    EXPECT_FALSE(after.formatRead);
    EXPECT_TRUE(after.dataFound);

    Bytes huge = RiffForm("WAVE", Join({fmt, data}));
    for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF9u, 0x80000000u}) {
        huge[4] = uint8_t(size);
        huge[5] = uint8_t(size >> 8);
        huge[6] = uint8_t(size >> 16);
        huge[7] = uint8_t(size >> 24);
        WriteWholeFile(folder.File("huge.wav"), huge);
        Reading r = ReadBoth(folder.File("huge.wav"));
        EXPECT_TRUE(r.formatRead) << size;
        EXPECT_TRUE(r.dataFound) << size;
        EXPECT_EQ(r.dataSize, 100u) << size;
    }
}

// Formats that some codecs divide by, or that the PCM converter stops the
// process on, fail like a pair no codec can convert: the destination stays
// with its placeholder sizes and the source is untouched.
TEST(BadInput, FormatsACodecCannotTakeFailTheConversion)
{
    ScratchFolder folder;
    ResetSettingsToDefaults(Settings);
    const Bytes pcm = PcmFormat(1, 22050, 16);
    const Bytes ima = SuggestFormat(pcm, WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(ima.empty());

    auto field = [](Bytes format, size_t at, uint16_t value) {
        format[at] = uint8_t(value);
        format[at + 1] = uint8_t(value >> 8);
        return format;
    };
    Bytes msAdpcm;
    {
        WAVEFORMATEX header = {WAVE_FORMAT_ADPCM, 1, 22050, 11155, 512, 4, 32};
        Bytes extra;
        AppendU16(extra, 1012);
        AppendU16(extra, 7);
        for (int16_t c : {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232})
            AppendU16(extra, uint16_t(c));
        msAdpcm = FormatBytes(header, extra);
    }
    Bytes seventeen = field(msAdpcm, 16, 0x00FF);
    seventeen.resize(17);
    struct Case {
        const char* name;
        Bytes source;
        const Bytes* destination;
    };
    const Case cases[] = {
        {"MS ADPCM of 17 bytes", seventeen, &pcm},
        {"MS ADPCM with 0 samples per block", field(msAdpcm, 18, 0), &pcm},
        {"MS ADPCM with block align 0", field(msAdpcm, 12, 0), &pcm},
        {"PCM with block align 0", field(pcm, 12, 0), &ima},
        {"PCM with 0 bytes per second", field(pcm, 8, 0), &pcm},
        {"PCM with 0 channels", field(pcm, 2, 0), &ima},
        {"PCM to IMA ADPCM with 0 samples per block", pcm, nullptr},
    };
    const Bytes imaWithoutSamples = field(ima, 18, 0);
    for (const Case& c : cases) {
        const Bytes& destinationFormat = c.destination != nullptr ? *c.destination : imaWithoutSamples;
        Bytes source = RiffForm("WAVE", Join({Chunk("fmt ", c.source), Chunk("data", Audio(4096))}));
        std::string sourcePath = folder.File("source.wav");
        std::string destinationPath = folder.File("destination.wav");
        WriteWholeFile(sourcePath, source);
        Watchdog watchdog(10000);
        watchdog.Arm(c.name);
        EXPECT_EQ(ConvertFile(sourcePath.c_str(), c.source.data(), DWORD(c.source.size()), destinationPath.c_str(),
                              destinationFormat.data(), DWORD(destinationFormat.size())),
                  Failed)
            << c.name;
        watchdog.Disarm();
        EXPECT_TRUE(HasPlaceholders(destinationPath)) << c.name;
        EXPECT_EQ(ReadWholeFile(sourcePath), source) << c.name;
    }
}
