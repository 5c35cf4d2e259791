// What the sample chain does to sound and how fast it does it, beside sox
// doing the same conversions in the same run:
// - alias: a 6 kHz sine at 48 kHz (16-bit, -6 dBFS) to 8 kHz, its 2 kHz band;
// - passband: 1 kHz and 3.4 kHz sines from 48 kHz to 8 kHz, their level;
// - dither: a -90 dBFS 1 kHz sine from 24 to 16 bits at 48 kHz, the tone's
//   level and its fifth harmonic's band (5 kHz), also rounded without dither;
// - speed: 48 kHz 24-bit stereo to 8 kHz mono 16-bit, MB/s of source, and
//   the peak working set after one and after ten minutes of it.
// Band levels are sox's: `sox FILE -n sinc LOW-HIGH stats`, RMS in dB.
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include "engine/chain/sample_chain.h"
#include "engine/chain/sample_decode.h"
#include "engine/chain/word_length.h"
#include "support/bench_clock.h"
#include "support/process_memory.h"
#include "support/test_files.h"

namespace {

const double Pi = std::acos(-1.0);

struct Source {
    Bytes Format, Audio;
};

// A sine on every channel, 16 or 24 bits.
Source Sine(uint32_t rate, uint16_t channels, uint16_t bits, double seconds, double frequency, double dbfs)
{
    Source source = {PcmFormat(channels, rate, bits), {}};
    double amplitude = std::ldexp(1.0, bits - 1) * std::pow(10.0, dbfs / 20);
    uint32_t frames = uint32_t(seconds * rate);
    source.Audio.reserve(size_t(frames) * channels * bits / 8);
    for (uint32_t i = 0; i < frames; ++i) {
        int32_t value = int32_t(std::lround(amplitude * std::sin(2 * Pi * frequency * i / rate)));
        for (uint16_t c = 0; c < channels; ++c)
            for (int b = 0; b < bits / 8; ++b)
                source.Audio.push_back(uint8_t(value >> (8 * b)));
    }
    return source;
}

// Room for what the chain makes of a block at any pair of this benchmark
// (8-bit mono 8 kHz up to 32-bit stereo 48 kHz is 48 times); Take is
// called until it makes nothing, so a smaller room costs calls, not bytes.
constexpr DWORD TakeBytes = 16384 * 48;

SampleLayout LayoutOf(const Source& source)
{
    return ReadSampleLayout(source.Format.data(), DWORD(source.Format.size())).Layout;
}

// The chain over a source in 16 KB blocks; the destination's bytes.
Bytes RunChain(const Source& source, ChainTarget target, bool lowQuality = false)
{
    SampleChain chain;
    if (!chain.Open(LayoutOf(source), target, {lowQuality}))
        return {};
    const DWORD block = 16384;
    Bytes out, buffer(TakeBytes);
    auto takeAll = [&] {
        for (DWORD made = 1; made > 0;) {
            chain.Take(buffer.data(), DWORD(buffer.size()), &made);
            out.insert(out.end(), buffer.begin(), buffer.begin() + made);
        }
    };
    for (size_t at = 0; at < source.Audio.size(); at += block) {
        chain.Put(source.Audio.data() + at, DWORD(std::min<size_t>(block, source.Audio.size() - at)));
        takeAll();
    }
    chain.Finish();
    takeAll();
    return out;
}

std::string WriteWave(const ScratchFolder& folder, const std::string& name, const Bytes& format, const Bytes& audio)
{
    std::string path = folder.File(name);
    WriteWholeFile(path, RiffForm("WAVE", Join({Chunk("fmt ", format), Chunk("data", audio)})));
    return path;
}

// sox's RMS level of one band of a file, its first and last half second
// left out; NAN when sox fails.
double SoxBandLevel(const ScratchFolder& folder, const std::string& path, int low, int high)
{
    std::string text = folder.File("stats.txt");
    std::string command = "sox " + UnixArgument(path) + " -n trim 0.5 -0.5 sinc -a 150 -t 40 " +
                          std::to_string(low) + "-" + std::to_string(high) + " stats 2> " + UnixArgument(text);
    if (RunUnixCommand(command) != 0)
        return NAN;
    Bytes said = ReadWholeFile(text);
    std::string all(said.begin(), said.end());
    size_t at = all.find("RMS lev dB");
    return at == std::string::npos ? NAN : atof(all.c_str() + at + 10);
}

// The level in dB of 16-bit samples as a whole, their first and last
// 4,000 left out (where the filter meets the sine's start and end).
double RmsDb(const std::vector<int16_t>& samples)
{
    double sum = 0;
    size_t count = 0;
    for (size_t i = 4000; i + 4000 < samples.size(); ++i, ++count)
        sum += double(samples[i]) * samples[i];
    return 10 * std::log10(sum / count / 32768 / 32768);
}

// The amplitude of a tone in 16-bit samples, in dB of full scale.
double ToneDb(const std::vector<int16_t>& samples, double frequency, double rate)
{
    double re = 0, im = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        re += samples[i] * std::cos(2 * Pi * frequency * i / rate);
        im += samples[i] * std::sin(2 * Pi * frequency * i / rate);
    }
    return 20 * std::log10(2 * std::hypot(re, im) / samples.size() / 32768);
}

std::vector<int16_t> SoxSamples(const std::string& path)
{
    std::vector<int16_t> samples;
    SoxDecode(path, samples);
    return samples;
}

// sox's conversion of a source file: the output's options, then the
// effects; the output's path.
std::string SoxConvert(const ScratchFolder& folder, const std::string& source, const std::string& name,
                       const std::string& output, const std::string& effects)
{
    std::string out = folder.File(name);
    RunUnixCommand("sox " + UnixArgument(source) + " " + output + " " + UnixArgument(out) + " " + effects);
    return out;
}

void PrintAlias(const ScratchFolder& folder)
{
    Source tone = Sine(48000, 1, 16, 10, 6000, -6);
    std::string source = WriteWave(folder, "alias-source.wav", tone.Format, tone.Audio);
    std::string ours = WriteWave(folder, "alias-ours.wav", PcmFormat(1, 8000, 16), RunChain(tone, {8000, 1, 16}));
    std::string quick =
        WriteWave(folder, "alias-quick.wav", PcmFormat(1, 8000, 16), RunChain(tone, {8000, 1, 16}, true));
    std::string sox = SoxConvert(folder, source, "alias-sox.wav", "-b 16 -r 8000", "");
    std::string soxVhq = SoxConvert(folder, source, "alias-sox-v.wav", "-b 16", "rate -v 8000");
    printf("alias, 6 kHz sine at -6 dBFS, 48 to 8 kHz, band 1.9-2.1 kHz (at most -70 dB):\n"
           "  chain %.1f dB (quick recipe %.1f dB), sox %.1f dB, sox rate -v %.1f dB\n",
           SoxBandLevel(folder, ours, 1900, 2100), SoxBandLevel(folder, quick, 1900, 2100),
           SoxBandLevel(folder, sox, 1900, 2100),
           SoxBandLevel(folder, soxVhq, 1900, 2100));
}

void PrintPassband(const ScratchFolder& folder)
{
    printf("passband, -6 dBFS sines (RMS -9.03 dB) from 48 to 8 kHz, level off by:\n");
    for (double frequency : {1000.0, 3400.0}) {
        Source tone = Sine(48000, 1, 16, 10, frequency, -6);
        std::string source = WriteWave(folder, "pass-source.wav", tone.Format, tone.Audio);
        std::string sox = SoxConvert(folder, source, "pass-sox.wav", "-b 16", "rate -v 8000");
        double expected = 20 * std::log10(std::pow(10.0, -6 / 20.0) / std::sqrt(2.0));
        printf("  %4.0f Hz: chain %+.3f dB (within %.1f dB), quick recipe %+.3f dB, sox rate -v %+.3f dB\n",
               frequency, RmsDb(SamplesOf(RunChain(tone, {8000, 1, 16}))) - expected, frequency < 2000 ? 0.1 : 0.5,
               RmsDb(SamplesOf(RunChain(tone, {8000, 1, 16}, true))) - expected, RmsDb(SoxSamples(sox)) - expected);
    }
}

// The same source rounded to 16 bits without dither.
Bytes Rounded(const Source& source)
{
    SampleLayout layout = LayoutOf(source);
    size_t frames = source.Audio.size() / layout.FrameBytes;
    std::vector<float> samples(frames * layout.Channels);
    DecodeSamples(layout, source.Audio.data(), frames, samples.data());
    Bytes out(samples.size() * 2);
    WordLength(16, false).Write(samples.data(), samples.size(), out.data());
    return out;
}

void PrintDither(const ScratchFolder& folder)
{
    Source tone = Sine(48000, 1, 24, 10, 1000, -90);
    std::string source = WriteWave(folder, "dither-source.wav", tone.Format, tone.Audio);
    Bytes dithered = RunChain(tone, {48000, 1, 16}), rounded = Rounded(tone);
    std::string ours = WriteWave(folder, "dither-ours.wav", PcmFormat(1, 48000, 16), dithered);
    std::string plain = WriteWave(folder, "dither-rounded.wav", PcmFormat(1, 48000, 16), rounded);
    std::string sox = SoxConvert(folder, source, "dither-sox.wav", "-b 16", "");
    printf("dither, 1 kHz sine at -90 dBFS, 24 to 16 bits at 48 kHz:\n"
           "  tone: chain %+.2f dB off (within 0.5 dB), rounded %+.2f dB off\n"
           "  band 4.9-5.1 kHz (at most -114 dB): chain %.1f dB, rounded %.1f dB, sox %.1f dB\n",
           ToneDb(SamplesOf(dithered), 1000, 48000) + 90, ToneDb(SamplesOf(rounded), 1000, 48000) + 90,
           SoxBandLevel(folder, ours, 4900, 5100), SoxBandLevel(folder, plain, 4900, 5100),
           SoxBandLevel(folder, sox, 4900, 5100));
}

// Feeds the chain seconds of a source made by repeating its one second,
// in 16 KB blocks, taking the output into a buffer with room for a block, as a
// converter would. Seconds taken.
double TimeChain(const Source& second, ChainTarget target, double seconds, bool lowQuality = false)
{
    SampleChain chain;
    if (!chain.Open(LayoutOf(second), target, {lowQuality}))
        return NAN;
    const DWORD block = 16384;
    Bytes in(block), out(TakeBytes);
    uint64_t total = uint64_t(seconds * second.Audio.size());
    size_t at = 0;
    LARGE_INTEGER start = Now();
    for (uint64_t done = 0; done < total; done += block) {
        for (DWORD filled = 0; filled < block;) {
            size_t piece = std::min<size_t>(block - filled, second.Audio.size() - at);
            memcpy(in.data() + filled, second.Audio.data() + at, piece);
            filled += DWORD(piece);
            at = (at + piece) % second.Audio.size();
        }
        chain.Put(in.data(), DWORD(std::min<uint64_t>(block, total - done)));
        for (DWORD made = 1; made > 0;)
            chain.Take(out.data(), DWORD(out.size()), &made);
    }
    chain.Finish();
    for (DWORD made = 1; made > 0;)
        chain.Take(out.data(), DWORD(out.size()), &made);
    return Seconds(start, Now());
}

double Megabytes(double bytes) { return bytes / 1048576.0; }

void PrintMemory()
{
    Source second = Sine(48000, 2, 24, 1, 1000, -6);
    ChainTarget mono = {8000, 1, 16};
    TimeChain(second, mono, 60);
    double oneMinute = Megabytes(double(ProcessMemory().PeakWorkingSetSize));
    double seconds = TimeChain(second, mono, 600);
    double tenMinutes = Megabytes(double(ProcessMemory().PeakWorkingSetSize));
    printf("memory, 48 kHz 24-bit stereo to 8 kHz mono 16-bit in 16 KB blocks:\n"
           "  peak working set after 1 minute %.1f MB, after 10 minutes %.1f MB"
           " (10 minutes in %.2f s, %.1f MB/s of source)\n",
           oneMinute, tenMinutes, seconds, Megabytes(600.0 * second.Audio.size()) / seconds);
}

// The chain on a source in memory against sox converting its file to a file
// (the time of starting sox, a few milliseconds, and of its file reading and
// writing included).
void PrintSpeed(const ScratchFolder& folder, uint32_t rate, uint16_t bits, const char* what)
{
    const double seconds = 120;
    Source second = Sine(rate, 2, bits, 1, 1000, -6);
    Source whole = Sine(rate, 2, bits, seconds, 1000, -6);
    std::string source = WriteWave(folder, "speed-source.wav", whole.Format, whole.Audio);
    double bytes = Megabytes(double(whole.Audio.size()));
    ChainTarget mono = {8000, 1, 16};
    double best = TimeChain(second, mono, seconds), quick = TimeChain(second, mono, seconds, true);
    LARGE_INTEGER start = Now();
    SoxConvert(folder, source, "speed-sox.wav", "-b 16 -c 1", "rate -v 8000");
    double soxVhq = Seconds(start, Now());
    start = Now();
    SoxConvert(folder, source, "speed-sox.wav", "-b 16 -c 1 -r 8000", "");
    double soxDefault = Seconds(start, Now());
    printf("speed, %s to 8 kHz mono 16-bit, 2 minutes, MB/s of source:\n"
           "  chain %.1f (quick recipe %.1f); sox rate -v %.1f, sox's default rate %.1f\n",
           what, bytes / best, bytes / quick, bytes / soxVhq, bytes / soxDefault);
}

}  // namespace

int main()
{
    PrintMemory();
    ScratchFolder folder;
    PrintAlias(folder);
    PrintPassband(folder);
    PrintDither(folder);
    PrintSpeed(folder, 48000, 24, "48 kHz 24-bit stereo");
    PrintSpeed(folder, 44100, 16, "44.1 kHz 16-bit stereo");
    return 0;
}
