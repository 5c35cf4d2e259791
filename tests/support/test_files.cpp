// Test files and WAVE files built by hand.
#include "support/test_files.h"
#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
}  // namespace

ScratchFolder::ScratchFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof(name), "%stonvelka-test-%lu-%u", temp, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a scratch folder");
    }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

Bytes ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AppendU16(Bytes& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void AppendU32(Bytes& out, uint32_t value)
{
    AppendU16(out, uint16_t(value));
    AppendU16(out, uint16_t(value >> 16));
}

// resize and memcpy rather than insert: GCC 12 warns falsely about the
// inlined range insert of small vectors.
void AppendRaw(Bytes& out, const void* data, size_t length)
{
    if (length == 0)
        return;
    size_t old = out.size();
    out.resize(old + length);
    memcpy(out.data() + old, data, length);
}

void AppendFourCC(Bytes& out, const char* code) { AppendRaw(out, code, 4); }

uint32_t ReadU32(const Bytes& bytes, size_t offset)
{
    return uint32_t(bytes.at(offset)) | uint32_t(bytes.at(offset + 1)) << 8 |
           uint32_t(bytes.at(offset + 2)) << 16 | uint32_t(bytes.at(offset + 3)) << 24;
}

Bytes ChunkWithSize(const char* code, uint32_t sizeField, const Bytes& data)
{
    Bytes out;
    AppendFourCC(out, code);
    AppendU32(out, sizeField);
    AppendRaw(out, data.data(), data.size());
    if (data.size() & 1)
        out.push_back(0);
    return out;
}

Bytes Chunk(const char* code, const Bytes& data) { return ChunkWithSize(code, uint32_t(data.size()), data); }

Bytes RiffForm(const char* formType, const Bytes& subChunks)
{
    Bytes content;
    AppendFourCC(content, formType);
    AppendRaw(content, subChunks.data(), subChunks.size());
    return Chunk("RIFF", content);
}

Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes out;
    uint16_t blockAlign = uint16_t(channels * bits / 8);
    AppendU16(out, WAVE_FORMAT_PCM);
    AppendU16(out, channels);
    AppendU32(out, rate);
    AppendU32(out, rate * blockAlign);
    AppendU16(out, blockAlign);
    AppendU16(out, bits);
    return out;
}

Bytes FormatBytes(const WAVEFORMATEX& format, const Bytes& extra)
{
    Bytes out;
    AppendRaw(out, &format, sizeof(WAVEFORMATEX));
    AppendRaw(out, extra.data(), extra.size());
    return out;
}

std::vector<int16_t> SineSamples(uint32_t rate, uint16_t channels, uint32_t frames, double frequency,
                                 double amplitude)
{
    std::vector<int16_t> samples;
    samples.reserve(size_t(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        for (uint16_t c = 0; c < channels; ++c) {
            double phase = 2.0 * 3.14159265358979323846 * frequency * (c + 1) * i / rate;
            samples.push_back(int16_t(std::lround(amplitude * std::sin(phase))));
        }
    }
    return samples;
}

Bytes SampleBytes(const std::vector<int16_t>& samples)
{
    Bytes out;
    out.reserve(samples.size() * 2);
    for (int16_t s : samples)
        AppendU16(out, uint16_t(s));
    return out;
}

std::vector<int16_t> SamplesFromBytes(const Bytes& bytes, size_t offset, size_t length)
{
    if (offset > bytes.size())
        offset = bytes.size();
    if (length > bytes.size() - offset)
        length = bytes.size() - offset;
    std::vector<int16_t> samples(length / 2);
    memcpy(samples.data(), bytes.data() + offset, samples.size() * 2);
    return samples;
}

Bytes PcmWave(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples)
{
    Bytes sub = Chunk("fmt ", PcmFormat(channels, rate, 16));
    Bytes data = Chunk("data", SampleBytes(samples));
    AppendRaw(sub, data.data(), data.size());
    return RiffForm("WAVE", sub);
}
