// Files for tests: a private scratch folder per test, whole-file reads and
// writes, and WAVE files built byte by byte (independently of the program's
// own writer).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh empty folder that is removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

Bytes ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

void AppendRaw(Bytes& out, const void* data, size_t length);
void AppendU16(Bytes& out, uint16_t value);
void AppendU32(Bytes& out, uint32_t value);
void AppendFourCC(Bytes& out, const char* code);
uint32_t ReadU32(const Bytes& bytes, size_t offset);

// One chunk: code, size field (normally the data's length), data, pad byte.
Bytes Chunk(const char* code, const Bytes& data);
Bytes ChunkWithSize(const char* code, uint32_t sizeField, const Bytes& data);
// A RIFF form around the given sub-chunks; the size field is computed.
Bytes RiffForm(const char* formType, const Bytes& subChunks);

// A format record of the given length: the 16 standard bytes, then (when
// longer) cbSize and extra bytes.
Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);
Bytes FormatBytes(const WAVEFORMATEX& format, const Bytes& extra = {});

// 16-bit PCM samples of a sine, interleaved over channels.
std::vector<int16_t> SineSamples(uint32_t rate, uint16_t channels, uint32_t frames, double frequency,
                                 double amplitude = 12000.0);
Bytes SampleBytes(const std::vector<int16_t>& samples);
// At most length bytes from offset, as far as the bytes go.
std::vector<int16_t> SamplesFromBytes(const Bytes& bytes, size_t offset, size_t length = SIZE_MAX);

// A complete 16-bit PCM WAVE file with a 16-byte format chunk.
Bytes PcmWave(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples);
