// Files brought to one level:
// - the time of 10 minutes of 48 kHz 24-bit stereo speech-like sound to
//   u-law 8 kHz mono through ConvertFile, as recorded (one pass), at a peak
//   and at a speech level (a measuring pass first), median of three runs,
//   and the times the level takes against as recorded (the goal: at most
//   1.7 times);
// - the meter's levels of signals whose level is known: sines steady and in
//   bursts (half the time active), noise, and the tests' speech-like sound.
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>
#include "engine/chain/level_meter.h"
#include "engine/convert/convert_file.h"
#include "support/bench_clock.h"
#include "support/test_files.h"

namespace {

const double Pi = 3.141592653589793;

// minutes of the tests' speech-like sound at -30 dB, 48 kHz 24-bit stereo,
// written a pattern of 1.5 s at a time. The data's size in MB.
double WriteSpeech(const std::string& path, double minutes)
{
    std::vector<int16_t> pattern = SpeechLikeSamples(48000, 72000, -30);
    Bytes block;
    for (int16_t sample : pattern)
        for (int channel = 0; channel < 2; ++channel) {
            int32_t value = int32_t(sample) * 256 + channel * 37;
            AppendRaw(block, &value, 3);
        }
    const uint32_t blocks = uint32_t(minutes * 40);
    Bytes data = ChunkWithSize("data", blocks * DWORD(block.size()), {});
    WriteWholeFile(path, RiffForm("WAVE", Join({Chunk("fmt ", PcmFormat(2, 48000, 24)), data})));
    HANDLE out = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    for (uint32_t i = 0; i < blocks; ++i)
        WriteFile(out, block.data(), DWORD(block.size()), &written, nullptr);
    CloseHandle(out);
    return double(blocks) * double(block.size()) / 1048576.0;
}

double MedianSeconds(const std::string& source, const std::string& output, const Bytes& to, LevelingMode mode)
{
    const Bytes from = PcmFormat(2, 48000, 24);
    ConvertOptions options;
    options.Level = {mode, mode == LevelingMode::Peak ? 10u : 260u};
    std::vector<double> runs;
    for (int run = 0; run < 3; ++run) {
        LARGE_INTEGER start = Now();
        ConvertResult result = ConvertFile(source.c_str(), from.data(), DWORD(from.size()), output.c_str(), to.data(),
                                           DWORD(to.size()), nullptr, options);
        runs.push_back(result == ConvertResult::Converted ? Seconds(start, Now()) : NAN);
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

void PrintTimes()
{
    ScratchFolder folder;
    std::string source = folder.File("speech.wav"), output = folder.File("out.wav");
    double megabytes = WriteSpeech(source, 10);
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    double recorded = MedianSeconds(source, output, ulaw, LevelingMode::AsRecorded);
    double peak = MedianSeconds(source, output, ulaw, LevelingMode::Peak);
    double speech = MedianSeconds(source, output, ulaw, LevelingMode::Speech);
    printf("10 minutes of 48 kHz 24-bit stereo (%.0f MB) to u-law 8 kHz mono, median of 3:\n", megabytes);
    printf("  as recorded %.2f s; peak %.2f s (%.2f times); speech level %.2f s (%.2f times, goal at most 1.70)\n",
           recorded, peak, peak / recorded, speech, speech / recorded);
}

void PrintMeter(const char* what, const std::vector<float>& samples, uint32_t rate, double known, double activity)
{
    LevelMeter meter;
    meter.Start(rate, 1);
    meter.Add(samples.data(), samples.size());
    std::optional<double> level = meter.ActiveLevel();
    printf("  %-48s known %7.2f dB, %3.0f %% active; meter %7.2f dB (%+.2f), %5.1f %% active\n", what, known,
           activity * 100, level ? *level : NAN, level ? *level - known : NAN, meter.Activity() * 100);
}

std::vector<float> Sine(double amplitude, double onSeconds, double seconds)
{
    std::vector<float> samples(size_t(8000 * seconds));
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::fmod(i / 8000.0, 2 * onSeconds) < onSeconds)
            samples[i] = float(amplitude * std::sin(2 * Pi * 1000 * i / 8000.0));
    return samples;
}

void PrintMeterLevels()
{
    printf("the meter (ITU-T P.56 method B) against known levels, 8 kHz:\n");
    const double sine = 20 * std::log10(0.1 / std::sqrt(2.0));
    PrintMeter("1 kHz sine, steady, 60 s", Sine(0.1, 60, 60), 8000, sine, 1.0);
    PrintMeter("1 kHz sine, 10 s on, 10 s off, 60 s", Sine(0.1, 10, 60), 8000, sine, 0.5);
    PrintMeter("1 kHz sine, 2 s on, 2 s off, 60 s", Sine(0.1, 2, 60), 8000, sine, 0.5);
    PrintMeter("1 kHz sine at -60 dB, 10 s on, 10 s off", Sine(0.001414, 10, 60), 8000, -60.0, 0.5);
    std::vector<float> noise(8000 * 60);
    uint32_t state = 1;
    for (float& sample : noise)
        state = state * 1664525u + 1013904223u, sample = float((double(state >> 8) / (1 << 24) - 0.5) * 0.2);
    PrintMeter("uniform noise, steady, 60 s", noise, 8000, 20 * std::log10(0.2 / std::sqrt(12.0)), 1.0);
    std::vector<float> speech;
    for (int16_t sample : SpeechLikeSamples(8000, 8000 * 60, -26))
        speech.push_back(sample / 32768.0f);
    PrintMeter("the tests' speech-like sound, syllables at -26 dB", speech, 8000, -26.0, 2 / 3.0);
}

}  // namespace

int main()
{
    PrintMeterLevels();
    PrintTimes();
    return 0;
}
