// The converter's chain file to file, beside sox doing the same conversions
// in the same run:
// - 10 minutes of 48 kHz 24-bit stereo to u-law 8 kHz mono, and of 44.1 kHz
//   16-bit stereo to GSM 6.10 8 kHz mono, through ConvertFile with the
//   default 16 KB blocks, MB/s of source (sox with its default rate and
//   with rate -v, the very-high-quality recipe the chain uses);
// - the peak working set after converting 1 minute of it (twice: the first
//   conversion of a process also takes what stays), then 10 and 20 minutes;
// - what the chain costs against the one codec stream where both can do
//   the work: the same PCM file, once as plain PCM (one stream) and once
//   under an extensible header, which no codec takes (the chain).
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>
#include "engine/convert/convert_file.h"
#include "support/bench_clock.h"
#include "support/process_memory.h"
#include "support/test_files.h"

namespace {

double Megabytes(double bytes) { return bytes / 1048576.0; }

// minutes of a 1 kHz sine at -6 dBFS, written second by second so that
// making it leaves the process's memory peak as it was. The data's size.
double WriteTone(const std::string& path, const Bytes& format, double minutes)
{
    const uint32_t channels = format[2], rate = ReadU32(format, 4), bytes = format[14] / 8;
    Bytes second;
    for (uint32_t i = 0; i < rate; ++i) {
        double phase = 2 * 3.141592653589793 * 1000 * i / rate;
        int32_t value = int32_t(std::lround(std::ldexp(0.5, 8 * bytes - 1) * std::sin(phase)));
        for (uint32_t c = 0; c < channels; ++c)
            AppendRaw(second, &value, bytes);
    }
    const uint32_t seconds = uint32_t(minutes * 60);
    Bytes data = ChunkWithSize("data", seconds * DWORD(second.size()), {});
    WriteWholeFile(path, RiffForm("WAVE", Join({Chunk("fmt ", format), data})));
    HANDLE out = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    for (uint32_t i = 0; i < seconds; ++i)
        WriteFile(out, second.data(), DWORD(second.size()), &written, nullptr);
    CloseHandle(out);
    return double(seconds) * double(second.size());
}

// Seconds that ConvertFile takes for the file; NAN when it fails.
double TimeConvert(const std::string& source, const Bytes& sourceFormat, const std::string& destination,
                   const Bytes& destinationFormat)
{
    LARGE_INTEGER start = Now();
    ConvertResult result = ConvertFile(source.c_str(), sourceFormat.data(), DWORD(sourceFormat.size()),
                                       destination.c_str(), destinationFormat.data(), DWORD(destinationFormat.size()));
    return result == ConvertResult::Converted ? Seconds(start, Now()) : NAN;
}

double TimeSox(const std::string& source, const std::string& options, const std::string& destination,
               const std::string& effects = "")
{
    LARGE_INTEGER start = Now();
    std::string arguments = UnixArgument(source) + " " + options + " " + UnixArgument(destination) + " " + effects;
    int status = RunUnixCommand("sox " + arguments);
    return status == 0 ? Seconds(start, Now()) : NAN;
}

struct Task {
    const char* What;
    Bytes Source, Destination;
    const char* SoxOutput;  // sox's options for the same output
};

void PrintMemory(const ScratchFolder& folder, const Task& task)
{
    std::string source = folder.File("memory.wav"), output = folder.File("memory-out.wav");
    printf("memory, %s through ConvertFile in 16 KB blocks:\n", task.What);
    printf("  before: peak working set %.1f MB\n", Megabytes(double(ProcessMemory().PeakWorkingSetSize)));
    // The first conversion of a process also takes what stays for all later
    // ones (the codec's and the heap's own), so 1 minute is converted twice.
    for (double minutes : {1.0, 1.0, 10.0, 20.0}) {
        WriteTone(source, task.Source, minutes);
        double seconds = TimeConvert(source, task.Source, output, task.Destination);
        printf("  after %2.0f minutes (%.2f s): peak working set %.1f MB\n", minutes, seconds,
               Megabytes(double(ProcessMemory().PeakWorkingSetSize)));
    }
    DeleteFileA(source.c_str()), DeleteFileA(output.c_str());
}

void PrintSpeed(const ScratchFolder& folder, const Task& task)
{
    std::string source = folder.File("speed.wav"), ours = folder.File("ours.wav"), theirs = folder.File("sox.wav");
    double megabytes = Megabytes(WriteTone(source, task.Source, 10));
    double chain = TimeConvert(source, task.Source, ours, task.Destination);
    double soxDefault = TimeSox(source, task.SoxOutput, theirs);
    double soxBest = TimeSox(source, task.SoxOutput, theirs, "rate -v 8000");
    printf("speed, 10 minutes of %s (%.0f MB), MB/s of source:\n"
           "  ConvertFile %.1f (%.2f s); sox %.1f (%.2f s), sox with rate -v %.1f (%.2f s)\n",
           task.What, megabytes, megabytes / chain, chain, megabytes / soxDefault, soxDefault, megabytes / soxBest,
           soxBest);
    DeleteFileA(source.c_str()), DeleteFileA(ours.c_str()), DeleteFileA(theirs.c_str());
}

// The median of five runs each way, MB/s of source.
void PrintChainCost(const ScratchFolder& folder, const char* what, const Bytes& plain, double minutes, WORD tag)
{
    std::string source = folder.File("cost.wav"), output = folder.File("cost-out.wav");
    double megabytes = Megabytes(WriteTone(source, plain, minutes));
    Bytes extensible = WaveFormat(WAVE_FORMAT_EXTENSIBLE, plain[2], ReadU32(plain, 4), plain[14]);
    Bytes destination = SuggestFormat(plain, tag);
    std::vector<double> direct, chained;
    for (int run = 0; run < 5; ++run) {
        direct.push_back(TimeConvert(source, plain, output, destination));
        chained.push_back(TimeConvert(source, extensible, output, destination));
    }
    std::sort(direct.begin(), direct.end()), std::sort(chained.begin(), chained.end());
    printf("  %s, %.0f MB: one stream %.1f MB/s, chain %.1f MB/s (%.2f times the time)\n", what, megabytes,
           megabytes / direct[2], megabytes / chained[2], chained[2] / direct[2]);
    DeleteFileA(source.c_str()), DeleteFileA(output.c_str());
}

}  // namespace

int main()
{
    ScratchFolder folder;
    const Task ulaw = {"48 kHz 24-bit stereo to u-law 8 kHz mono", PcmFormat(2, 48000, 24),
                       SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW), "-r 8000 -c 1 -e u-law"};
    const Task gsm = {"44.1 kHz 16-bit stereo to GSM 6.10 8 kHz mono", PcmFormat(2, 44100, 16),
                      SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_GSM610), "-r 8000 -c 1 -e gsm-full-rate"};
    // First, while the process has allocated little else.
    PrintMemory(folder, ulaw);
    PrintSpeed(folder, ulaw);
    PrintSpeed(folder, gsm);
    printf("the chain against the one stream, the same PCM as plain and as extensible source, 16 KB blocks:\n");
    PrintChainCost(folder, "16-bit 8 kHz mono to u-law", PcmFormat(1, 8000, 16), 60, WAVE_FORMAT_MULAW);
    PrintChainCost(folder, "16-bit 44.1 kHz stereo to IMA ADPCM", PcmFormat(2, 44100, 16), 10, WAVE_FORMAT_IMA_ADPCM);
    PrintChainCost(folder, "16-bit 8 kHz mono to GSM 6.10", PcmFormat(1, 8000, 16), 20, WAVE_FORMAT_GSM610);
    return 0;
}
