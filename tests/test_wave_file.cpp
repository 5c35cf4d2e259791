// Reading source WAVE files and writing destination files, checked against
// files built byte by byte.
#include <gtest/gtest.h>
#include <cstring>
#include "engine/wave_file.h"
#include "support/test_files.h"

namespace {

Bytes Filled(size_t length, uint8_t first = 1)
{
    Bytes out(length);
    for (size_t i = 0; i < length; ++i)
        out[i] = uint8_t(first + i * 7);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        AppendRaw(out, part.data(), part.size());
    return out;
}

struct ReadResult {
    bool ok;
    Bytes format;
};

ReadResult ReadFormat(const std::string& path)
{
    Bytes buffer(MaxFormatBytes + 16, 0xEE);
    DWORD length = 0xFFFFFFFF;
    bool ok = ReadSourceFormat(path.c_str(), buffer.data(), &length);
    // Nothing is ever written behind the 1024 bytes the caller provides.
    for (size_t i = MaxFormatBytes; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], 0xEE) << "byte " << i << " written past the buffer";
    if (!ok)
        return {false, {}};
    return {true, Bytes(buffer.begin(), buffer.begin() + length)};
}

}  // namespace

TEST(ReadSourceFormat, ReadsFormatChunksUpTo1024Bytes)
{
    ScratchFolder folder;
    Bytes pcm16 = PcmFormat(2, 44100, 16);
    WriteWholeFile(folder.File("16.wav"), RiffForm("WAVE", Concat({Chunk("fmt ", pcm16), Chunk("data", Filled(8))})));
    ReadResult r16 = ReadFormat(folder.File("16.wav"));
    ASSERT_TRUE(r16.ok);
    EXPECT_EQ(r16.format, pcm16);

    Bytes large = Filled(1024);
    WriteWholeFile(folder.File("1024.wav"), RiffForm("WAVE", Concat({Chunk("fmt ", large), Chunk("data", {})})));
    ReadResult r1024 = ReadFormat(folder.File("1024.wav"));
    ASSERT_TRUE(r1024.ok);
    EXPECT_EQ(r1024.format, large);

    WriteWholeFile(folder.File("1025.wav"),
                   RiffForm("WAVE", Concat({Chunk("fmt ", Filled(1025)), Chunk("data", {})})));
    EXPECT_FALSE(ReadFormat(folder.File("1025.wav")).ok);
}

TEST(ReadSourceFormat, FindsFormatBehindOtherChunksAndData)
{
    ScratchFolder folder;
    Bytes format = PcmFormat(1, 8000, 8);
    Bytes file = RiffForm("WAVE", Concat({Chunk("LIST", Filled(11)), Chunk("data", Filled(5)), Chunk("fmt ", format)}));
    WriteWholeFile(folder.File("a.wav"), file);
    ReadResult r = ReadFormat(folder.File("a.wav"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.format, format);

    WaveReader reader;
    ASSERT_TRUE(OpenWaveData(folder.File("a.wav").c_str(), reader));
    EXPECT_EQ(reader.DataSize, 5u);
    char data[5];
    ASSERT_EQ(mmioRead(reader.File.Get(), data, 5), 5);
    EXPECT_EQ(0, memcmp(data, Filled(5).data(), 5));
}

TEST(ReadSourceFormat, RefusesWhatIsNotAWaveForm)
{
    ScratchFolder folder;
    Bytes inner = Concat({Chunk("fmt ", PcmFormat(1, 8000, 8)), Chunk("data", Filled(4))});
    WriteWholeFile(folder.File("avi.wav"), RiffForm("AVI ", inner));
    WriteWholeFile(folder.File("plain.wav"), Concat({Chunk("fmt ", PcmFormat(1, 8000, 8)), Chunk("data", Filled(4))}));
    WriteWholeFile(folder.File("lower.wav"), RiffForm("wave", inner));
    WriteWholeFile(folder.File("empty.wav"), {});
    WriteWholeFile(folder.File("nofmt.wav"), RiffForm("WAVE", Chunk("data", Filled(4))));
    // The format chunk claims more bytes than the file holds.
    Bytes cut = RiffForm("WAVE", ChunkWithSize("fmt ", 18, PcmFormat(1, 8000, 8)));
    WriteWholeFile(folder.File("cut.wav"), cut);

    for (const char* name : {"avi.wav", "plain.wav", "lower.wav", "empty.wav", "nofmt.wav", "cut.wav", "missing.wav"})
        EXPECT_FALSE(ReadFormat(folder.File(name)).ok) << name;

    WaveReader reader;
    for (const char* name : {"avi.wav", "plain.wav", "lower.wav", "empty.wav", "missing.wav"}) {
        EXPECT_FALSE(OpenWaveData(folder.File(name).c_str(), reader)) << name;
        EXPECT_FALSE(reader.File) << name;
    }
    WriteWholeFile(folder.File("nodata.wav"), RiffForm("WAVE", Chunk("fmt ", PcmFormat(1, 8000, 8))));
    EXPECT_FALSE(OpenWaveData(folder.File("nodata.wav").c_str(), reader));
}

TEST(OpenWaveData, TakesTheDeclaredSizeAtItsWord)
{
    ScratchFolder folder;
    // 1000 bytes declared, 10 present.
    Bytes file = RiffForm("WAVE", Concat({Chunk("fmt ", PcmFormat(1, 8000, 8)), ChunkWithSize("data", 1000, Filled(10))}));
    WriteWholeFile(folder.File("short.wav"), file);
    WaveReader reader;
    ASSERT_TRUE(OpenWaveData(folder.File("short.wav").c_str(), reader));
    EXPECT_EQ(reader.DataSize, 1000u);

    WriteWholeFile(folder.File("empty-data.wav"), RiffForm("WAVE", Concat({Chunk("fmt ", PcmFormat(1, 8000, 8)), Chunk("data", {})})));
    WaveReader empty;
    ASSERT_TRUE(OpenWaveData(folder.File("empty-data.wav").c_str(), empty));
    EXPECT_EQ(empty.DataSize, 0u);
}

TEST(OpenWaveData, ShutsOutWritersWhileOpen)
{
    ScratchFolder folder;
    Bytes original = PcmWave(1, 8000, SineSamples(8000, 1, 100, 440));
    std::string path = folder.File("source.wav");
    WriteWholeFile(path, original);

    WaveReader reader;
    ASSERT_TRUE(OpenWaveData(path.c_str(), reader));
    WaveWriter writer;
    Bytes format = PcmFormat(1, 8000, 16);
    EXPECT_FALSE(CreateWaveFile(path.c_str(), format.data(), DWORD(format.size()), writer));
    EXPECT_FALSE(writer.File);
    reader.File.Close();
    EXPECT_EQ(ReadWholeFile(path), original);
}

// The expected bytes of a finished destination.
static Bytes FinishedFile(const Bytes& format, const Bytes& audio)
{
    return RiffForm("WAVE", Concat({Chunk("fmt ", format), Chunk("data", audio)}));
}

static Bytes WriteDestination(const std::string& path, const Bytes& format, const Bytes& audio, bool finish)
{
    WaveWriter writer;
    EXPECT_TRUE(CreateWaveFile(path.c_str(), format.data(), DWORD(format.size()), writer));
    if (!audio.empty()) {
        EXPECT_EQ(mmioWrite(writer.File.Get(), reinterpret_cast<const char*>(audio.data()), LONG(audio.size())),
                  LONG(audio.size()));
    }
    if (finish) {
        EXPECT_TRUE(FinishWaveFile(writer));
    }
    EXPECT_TRUE(writer.File.Close());
    return ReadWholeFile(path);
}

TEST(WaveWriter, FinishedFilesMatchTheLayoutByteForByte)
{
    ScratchFolder folder;
    std::string path = folder.File("out.wav");
    struct Case {
        size_t formatLength;
        size_t audioLength;
    } cases[] = {{16, 1000}, {20, 2048}, {21, 7}, {50, 1}, {16, 0}, {17, 1}, {18, 3}};
    for (const Case& c : cases) {
        Bytes format = Filled(c.formatLength, 3);
        Bytes audio = Filled(c.audioLength, 9);
        Bytes written = WriteDestination(path, format, audio, true);
        EXPECT_EQ(written, FinishedFile(format, audio)) << "format " << c.formatLength << ", audio " << c.audioLength;
    }
}

TEST(WaveWriter, UnfinishedFilesKeepPlaceholderSizes)
{
    ScratchFolder folder;
    std::string path = folder.File("out.wav");
    Bytes format = PcmFormat(2, 44100, 16);
    Bytes written = WriteDestination(path, format, Filled(100), false);
    ASSERT_GE(written.size(), 44u);
    EXPECT_EQ(ReadU32(written, 4), 1u);
    EXPECT_EQ(ReadU32(written, 40), 1u);
    EXPECT_EQ(Bytes(written.begin() + 36, written.begin() + 40), Bytes({'d', 'a', 't', 'a'}));
}

TEST(WaveWriter, ReplacesAnExistingFile)
{
    ScratchFolder folder;
    std::string path = folder.File("out.wav");
    WriteWholeFile(path, Filled(100000));
    Bytes format = PcmFormat(1, 8000, 8);
    Bytes audio = Filled(10);
    EXPECT_EQ(WriteDestination(path, format, audio, true), FinishedFile(format, audio));
}
