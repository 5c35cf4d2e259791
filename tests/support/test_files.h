// Files for tests: scratch folders, WAVE files built byte by byte
// (independently of the program's writer), formats the installed codecs
// suggest, and sox, an independent reader of WAVE files.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh empty folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
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
uint32_t ReadU32(const Bytes& bytes, size_t offset);  // 0 past the end
Bytes Join(std::initializer_list<Bytes> parts);
// One chunk: code, size field, data and the pad byte after odd data.
Bytes ChunkWithSize(const char* code, uint32_t sizeField, const Bytes& data);
Bytes Chunk(const char* code, const Bytes& data);
Bytes RiffForm(const char* formType, const Bytes& subChunks);
Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);  // 16 bytes
// 16-bit samples of a sine, interleaved over the channels.
std::vector<int16_t> SineSamples(uint32_t rate, uint16_t channels, uint32_t frames, double frequency, double amplitude = 12000.0);
// Speech as a level meter hears it: syllables of low-passed noise, four in a
// second, then half a second of pause; the syllables' RMS at dbov (dB of
// full scale).
std::vector<int16_t> SpeechLikeSamples(uint32_t rate, uint32_t frames, double dbov);
Bytes SampleBytes(const std::vector<int16_t>& samples);
std::vector<int16_t> SamplesOf(const Bytes& bytes);
Bytes PcmWave(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples);
// A format record of a tag (PCM and float in 16 bytes); WAVE_FORMAT_EXTENSIBLE
// with its valid bits, channel mask and sub-format tag in the standard GUID.
Bytes WaveFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t valid = 0,
                 uint32_t mask = 0, uint16_t subTag = 1);
// A second of a 1 kHz sine at -6 dBFS on every channel of a format made by
// WaveFormat: integer PCM of any valid bits, or float.
Bytes ToneWave(const Bytes& format);

// The same audio in the forms other tools write: RF64 with a "ds64" chunk
// (the 32-bit sizes 0xFFFFFFFF; dataSize, when given, declared in place of
// the audio's own), and big-endian RIFX with samples of width bytes.
Bytes Rf64Wave(const Bytes& format, const Bytes& audio, uint64_t dataSize = 0);
Bytes RifxWave(const Bytes& format, const Bytes& audio, unsigned width);
// The format and the audio of a WAVE file made by Chunk and RiffForm.
Bytes FormatOf(const Bytes& wave);
Bytes AudioOf(const Bytes& wave);
// Chunks that recorders, editors and samplers add, as they write them: a
// "LIST" of a type; a "bext" with its description, time reference and
// coding history; "cue " points at frame positions; a "smpl" with one loop.
Bytes ListChunk(const char* type, const Bytes& subChunks);
Bytes BroadcastChunk(const std::string& description, uint64_t timeReference, const std::string& history);
Bytes CueChunk(const std::vector<uint32_t>& positions);
Bytes SamplerChunk(uint32_t rate, uint32_t loopStart, uint32_t loopEnd);
// A file's chunks after its form type, each its code and its data; empty
// when the file is no RIFF form.
std::vector<std::pair<std::string, Bytes>> FormChunks(const Bytes& file);

// The codecs' format of a tag for a source, as the program stores
// destinations (PCM in 16 bytes); empty when there is none.
Bytes SuggestFormat(const Bytes& sourceFormat, WORD tag);
double SignalToNoise(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded);
// A /bin/sh command line run from Wine: its exit status, -1 on a time-out;
// a Windows path as a quoted argument for it; sox's decoding of a file into
// 16-bit samples (false when sox cannot read it) and what soxi says of it.
int RunUnixCommand(const std::string& command);
std::string UnixArgument(const std::string& windowsPath);
bool SoxDecode(const std::string& wavePath, std::vector<int16_t>& samples, std::string* info = nullptr);
