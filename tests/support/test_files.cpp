#include "support/test_files.h"
#include <msacm.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

ScratchFolder::ScratchFolder()
{
    char temp[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    do
        snprintf(name, sizeof(name), "%stonvelka-test-%lu-%u", temp, GetCurrentProcessId(), ++counter);
    while (!CreateDirectoryA(name, nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    path_ = name;
}

namespace {
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (std::string name = folder + "\\" + found.cFileName; found.cFileName[0] != '.')
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveTree(name) : void(DeleteFileA(name.c_str()));
    FindClose(search);
    RemoveDirectoryA(folder.c_str());
}
}  // namespace

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
}
bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// resize and memcpy: GCC 12 warns falsely about the inlined insert of small vectors.
void AppendRaw(Bytes& out, const void* data, size_t length)
{
    out.resize(out.size() + length);
    if (length > 0)
        memcpy(out.data() + out.size() - length, data, length);
}
void AppendU16(Bytes& out, uint16_t value) { AppendRaw(out, &value, 2); }
void AppendU32(Bytes& out, uint32_t value) { AppendRaw(out, &value, 4); }
void AppendFourCC(Bytes& out, const char* code) { AppendRaw(out, code, 4); }
uint32_t ReadU32(const Bytes& bytes, size_t offset)
{
    uint32_t value = 0;
    if (offset + 4 <= bytes.size())
        memcpy(&value, bytes.data() + offset, 4);
    return value;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        AppendRaw(out, part.data(), part.size());
    return out;
}

Bytes ChunkWithSize(const char* code, uint32_t sizeField, const Bytes& data)
{
    Bytes out;
    AppendFourCC(out, code);
    AppendU32(out, sizeField);
    AppendRaw(out, data.data(), data.size());
    AppendRaw(out, "", data.size() & 1);
    return out;
}
Bytes Chunk(const char* code, const Bytes& data) { return ChunkWithSize(code, uint32_t(data.size()), data); }
Bytes RiffForm(const char* formType, const Bytes& subChunks)
{
    return Chunk("RIFF", Join({Bytes(formType, formType + 4), subChunks}));
}

Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes out = {WAVE_FORMAT_PCM, 0};
    AppendU16(out, channels);
    AppendU32(out, rate);
    AppendU32(out, rate * (channels * bits / 8));
    AppendU16(out, uint16_t(channels * bits / 8));
    AppendU16(out, bits);
    return out;
}

std::vector<int16_t> SineSamples(uint32_t rate, uint16_t channels, uint32_t frames, double frequency, double amplitude)
{
    std::vector<int16_t> samples;
    samples.reserve(size_t(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c)
            samples.push_back(int16_t(std::lround(amplitude * std::sin(6.283185307179586 * frequency * (c + 1) * i / rate))));
    return samples;
}
std::vector<int16_t> SpeechLikeSamples(uint32_t rate, uint32_t frames, double dbov)
{
    const double pi = 3.141592653589793, pole = std::exp(-2 * pi * 1000.0 / rate);
    std::vector<double> shaped(frames);
    double low = 0, power = 0, active = 0;
    for (uint32_t i = 0, state = 12345; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        low = pole * low + (1 - pole) * (double(state >> 8) / (1 << 24) - 0.5);
        double t = std::fmod(double(i) / rate, 1.5), syllable = std::sin(pi * std::fmod(t, 0.25) / 0.25);
        shaped[i] = t < 1.0 ? low * syllable * syllable : 0.0;
        power += shaped[i] * shaped[i], active += t < 1.0;
    }
    const double scale = 32768.0 * std::pow(10.0, dbov / 20) / std::sqrt(power / active);
    std::vector<int16_t> samples;
    for (double value : shaped)
        samples.push_back(int16_t(std::lround(std::clamp(value * scale, -32768.0, 32767.0))));
    return samples;
}
Bytes SampleBytes(const std::vector<int16_t>& samples)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    return Bytes(bytes, bytes + samples.size() * 2);
}
std::vector<int16_t> SamplesOf(const Bytes& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}
Bytes PcmWave(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples)
{
    return RiffForm("WAVE", Join({Chunk("fmt ", PcmFormat(channels, rate, 16)), Chunk("data", SampleBytes(samples))}));
}

Bytes WaveFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t valid, uint32_t mask,
                 uint16_t subTag)
{
    Bytes out;
    uint32_t frame = channels * bits / 8u;
    for (uint32_t field : {uint32_t(tag | channels << 16), rate, rate * frame, uint32_t(frame | bits << 16)})
        AppendU32(out, field);
    if (tag == WAVE_FORMAT_EXTENSIBLE)
        for (uint32_t field : {uint32_t(22 | valid << 16), mask, uint32_t(subTag), 0x00100000u, 0xAA000080u, 0x719B3800u})
            AppendU32(out, field);
    return out;
}

Bytes ToneWave(const Bytes& format)
{
    const bool extensible = ReadU32(format, 0) % 65536 == WAVE_FORMAT_EXTENSIBLE;
    const uint32_t channels = ReadU32(format, 0) >> 16, rate = ReadU32(format, 4), bits = ReadU32(format, 12) >> 16;
    const uint32_t valid = extensible && ReadU32(format, 16) >> 16 ? ReadU32(format, 16) >> 16 : bits;
    const bool floating = ReadU32(format, 0) % 65536 == 3 || (extensible && ReadU32(format, 24) == 3);
    Bytes audio;
    for (uint32_t i = 0; i < rate * channels; ++i) {
        double value = 0.5 * std::sin(6.283185307179586 * 1000 * (i / channels) / rate);
        float single = float(value);
        int64_t word = (std::llround(std::ldexp(value, int(valid) - 1)) << (bits - valid)) + (bits == 8 ? 128 : 0);
        const void* bytes = !floating ? static_cast<const void*>(&word)
                            : bits == 32 ? static_cast<const void*>(&single) : static_cast<const void*>(&value);
        AppendRaw(audio, bytes, bits / 8);
    }
    return RiffForm("WAVE", Join({Chunk("fmt ", format), Chunk("data", audio)}));
}

Bytes Rf64Wave(const Bytes& format, const Bytes& audio, uint64_t dataSize)
{
    Bytes ds64;
    uint64_t declared = dataSize != 0 ? dataSize : audio.size();
    for (uint64_t size : {uint64_t(4 + 36 + 8 + format.size() + 8 + audio.size()), declared, uint64_t(0)})
        AppendU32(ds64, uint32_t(size)), AppendU32(ds64, uint32_t(size >> 32));
    AppendU32(ds64, 0);
    Bytes body = Join({Chunk("ds64", ds64), Chunk("fmt ", format), ChunkWithSize("data", 0xFFFFFFFFu, audio)});
    Bytes out;
    AppendFourCC(out, "RF64"), AppendU32(out, 0xFFFFFFFFu), AppendFourCC(out, "WAVE");
    return Join({out, body});
}

Bytes RifxWave(const Bytes& format, const Bytes& audio, unsigned width)
{
    Bytes fields = format, samples = audio;
    for (auto [at, size] : {std::pair{0, 2}, {2, 2}, {4, 4}, {8, 4}, {12, 2}, {14, 2}, {16, 2}})
        if (size_t(at + size) <= fields.size())
            std::reverse(fields.begin() + at, fields.begin() + at + size);
    for (size_t at = 0; width > 1 && at + width <= samples.size(); at += width)
        std::reverse(samples.begin() + at, samples.begin() + at + width);
    Bytes riff = RiffForm("WAVE", Join({Chunk("fmt ", fields), Chunk("data", samples)}));
    std::copy_n("RIFX", 4, riff.begin());
    std::reverse(riff.begin() + 4, riff.begin() + 8);
    // Every size field is big-endian: the form's, then each chunk's.
    for (size_t at = 12; at + 8 <= riff.size();) {
        uint32_t size = ReadU32(riff, at + 4);
        std::reverse(riff.begin() + at + 4, riff.begin() + at + 8);
        at += 8 + (size + 1) / 2 * 2;
    }
    return riff;
}

Bytes FormatOf(const Bytes& wave)
{
    return Bytes(wave.begin() + 20, wave.begin() + 20 + ReadU32(wave, 16));
}

Bytes AudioOf(const Bytes& wave)
{
    size_t data = 20 + (ReadU32(wave, 16) + 1) / 2 * 2;
    return Bytes(wave.begin() + data + 8, wave.begin() + data + 8 + ReadU32(wave, data + 4));
}

Bytes ListChunk(const char* type, const Bytes& subChunks)
{
    return Chunk("LIST", Join({Bytes(type, type + 4), subChunks}));
}

Bytes BroadcastChunk(const std::string& description, uint64_t timeReference, const std::string& history)
{
    Bytes fields(602, 0);
    memcpy(fields.data(), description.data(), std::min<size_t>(description.size(), 256));
    memcpy(fields.data() + 256, "Tonvelka tests", 14);  // originator
    memcpy(fields.data() + 320, "2026-12-0709:30:00", 18);  // date and time
    memcpy(fields.data() + 338, &timeReference, 8);
    fields[346] = 1;  // version
    AppendRaw(fields, history.data(), history.size());
    return Chunk("bext", fields);
}

Bytes CueChunk(const std::vector<uint32_t>& positions)
{
    Bytes data;
    AppendU32(data, uint32_t(positions.size()));
    for (uint32_t i = 0; i < positions.size(); ++i)
        for (uint32_t field : {i + 1, positions[i], 0x61746164u, 0u, 0u, positions[i]})  // "data"
            AppendU32(data, field);
    return Chunk("cue ", data);
}

Bytes SamplerChunk(uint32_t rate, uint32_t loopStart, uint32_t loopEnd)
{
    Bytes data;
    for (uint32_t field : {0u, 0u, uint32_t(1e9 / rate + 0.5), 60u, 0u, 0u, 0u, 1u, 0u, 1u, 0u, loopStart, loopEnd, 0u, 0u})
        AppendU32(data, field);
    return Chunk("smpl", data);
}

std::vector<std::pair<std::string, Bytes>> FormChunks(const Bytes& file)
{
    std::vector<std::pair<std::string, Bytes>> chunks;
    for (size_t at = 12; file.size() >= 12 && at + 8 <= file.size(); at += 8 + (ReadU32(file, at + 4) + 1) / 2 * 2) {
        const size_t size = std::min<size_t>(ReadU32(file, at + 4), file.size() - at - 8);
        chunks.emplace_back(std::string(file.begin() + at, file.begin() + at + 4),
                            Bytes(file.begin() + at + 8, file.begin() + at + 8 + size));
    }
    return chunks;
}

Bytes SuggestFormat(const Bytes& sourceFormat, WORD tag)
{
    Bytes source = sourceFormat, suggested(512);
    source.resize(std::max(source.size(), sizeof(WAVEFORMATEX)));
    auto* format = reinterpret_cast<WAVEFORMATEX*>(suggested.data());
    // GSM 6.10 answers only when the extra byte count leaves room for its own.
    for (WORD room : {0, 2, 512 - 18}) {
        *format = {tag, 0, 0, 0, 0, 0, room};
        auto* from = reinterpret_cast<WAVEFORMATEX*>(source.data());
        if (acmFormatSuggest(nullptr, from, format, 512, ACM_FORMATSUGGESTF_WFORMATTAG) == 0) {
            suggested.resize(tag == WAVE_FORMAT_PCM ? 16 : 18 + format->cbSize);
            return suggested;
        }
    }
    return {};
}

double SignalToNoise(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded)
{
    double signal = 0, noise = 0;
    for (size_t i = 0; i < std::min(reference.size(), decoded.size()); ++i) {
        signal += double(reference[i]) * reference[i];
        noise += (double(reference[i]) - decoded[i]) * (double(reference[i]) - decoded[i]);
    }
    return noise == 0 ? 1000.0 : 10.0 * std::log10(signal / noise);
}

namespace {
std::string UnixPath(const std::string& windowsPath)
{
    static auto convert = reinterpret_cast<char* (*)(const WCHAR*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* name = convert(wide);
    std::string path = name != nullptr ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}
}  // namespace

std::string UnixArgument(const std::string& windowsPath)
{
    std::string quoted = "'";
    quoted.append(UnixPath(windowsPath)).push_back('\'');
    return quoted;
}

// Wine starts Linux programs but cannot wait for them, so the shell leaves
// its status in a marker file that is polled.
int RunUnixCommand(const std::string& command)
{
    char temp[MAX_PATH], script[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "sh", 0, script);
    std::string marker = std::string(script) + ".status";
    std::string temporary = UnixArgument(marker + "~");
    std::string body = "(" + command + ") > /dev/null 2>&1; echo $? > " + temporary + "; mv " + temporary + " " +
                       UnixArgument(marker) + "\n";
    WriteWholeFile(script, Bytes(body.begin(), body.end()));
    std::string line = "/bin/sh " + UnixPath(script);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    int status = -1;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        for (int waited = 0; waited < 6000 && status == -1; ++waited, Sleep(10))
            if (Bytes text = ReadWholeFile(marker); !text.empty())
                status = atoi(std::string(text.begin(), text.end()).c_str());
    }
    DeleteFileA(script);
    DeleteFileA(marker.c_str());
    return status;
}

bool SoxDecode(const std::string& wavePath, std::vector<int16_t>& samples, std::string* info)
{
    std::string raw = wavePath + ".raw", text = wavePath + ".txt";
    if (RunUnixCommand("sox " + UnixArgument(wavePath) + " -t raw -e signed-integer -b 16 -L " + UnixArgument(raw)) != 0)
        return false;
    samples = SamplesOf(ReadWholeFile(raw));
    if (Bytes said; info != nullptr && RunUnixCommand("soxi " + UnixArgument(wavePath) + " > " + UnixArgument(text)) == 0)
        said = ReadWholeFile(text), info->assign(said.begin(), said.end());
    DeleteFileA(raw.c_str());
    DeleteFileA(text.c_str());
    return true;
}
