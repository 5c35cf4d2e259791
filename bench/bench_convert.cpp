// How much the display costs a conversion: a 200 MB, 16-bit stereo 44.1 kHz
// file converted to IMA ADPCM (a) in memory, the codec's own limit, (b) file
// to file as the converter reads and writes but showing nothing, and (c) by
// ConvertFile on a worker thread with its progress going to the real, visible
// main window whose thread runs a message loop. Prints MB/s (median of
// several runs) and the ratios (c)/(b) and (c)/(a).
//
// The earlier converter, which read and wrote every block through the
// multimedia file services one at a time, is kept here as a copy: (b) is it
// without a display, and (e) is it with the window, beside (c) in the same
// run. The bench also checks that both write the same bytes.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>
#include "settings/settings.h"
#include "engine/codec/acm_header.h"
#include "engine/convert/convert_file.h"
#include "engine/batch/batch_host.h"
#include "engine/batch/progress.h"
#include "engine/wave/wave_file.h"
#include "res/resource.h"
#include "support/bench_clock.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/test_files.h"
#include "win/app_messages.h"
#include "ui/batch_listener.h"
#include "ui/main_window.h"
#include "ui/progress_display.h"

namespace {

constexpr DWORD SourceBytes = 200u * 1024 * 1024;
constexpr int Runs = 5;

// Hears the worker's figures where no window shows them.
class NoWindow final : public BatchListener {
public:
    void Measured() override {}
    bool FiguresPublished() override { return true; }
    void Stopped(const char*, const char*) override {}
    void Noticed(const char*) override {}
    void Ended(DWORD) override {}
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

double MegabytesPerSecond(double seconds) { return SourceBytes / 1048576.0 / seconds; }

// Writes the source: a sine with a little noise, so the codec has real work.
void WriteSource(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Bytes header = RiffForm("WAVE", Chunk("fmt ", PcmFormat(2, 44100, 16)));
    Bytes dataHeader = ChunkWithSize("data", SourceBytes, {});
    // The RIFF size must cover the data that follows.
    uint32_t riffSize = uint32_t(header.size() - 8 + dataHeader.size() + SourceBytes);
    memcpy(header.data() + 4, &riffSize, 4);
    AppendRaw(header, dataHeader.data(), dataHeader.size());
    DWORD written;
    WriteFile(file, header.data(), DWORD(header.size()), &written, nullptr);
    std::vector<int16_t> block = SineSamples(44100, 2, 1u << 18, 441.0, 9000);
    uint32_t noise = 1;
    for (int16_t& s : block) {
        noise = noise * 1664525u + 1013904223u;
        s = int16_t(s + int((noise >> 16) & 0x1FF) - 256);
    }
    for (DWORD left = SourceBytes; left > 0;) {
        DWORD chunk = std::min<DWORD>(left, DWORD(block.size() * 2));
        WriteFile(file, block.data(), chunk, &written, nullptr);
        left -= chunk;
    }
    CloseHandle(file);
}

// Every timed conversion writes a new file, as a batch into a fresh folder
// does: writing over the last run's 50 MB would add the file system's
// freeing of them (about 20 ms) to whichever conversion comes next.
void DeleteEarlierOutput(const std::string& path) { DeleteFileA(path.c_str()); }

struct Stream {
    AcmStream Handle;
    DWORD DestinationSize = 0;
};

bool OpenStream(const Bytes& destination, DWORD blockSize, Stream& stream)
{
    Bytes source = PcmFormat(2, 44100, 16);
    source.resize(sizeof(WAVEFORMATEX), 0);
    HACMSTREAM opened = nullptr;
    if (acmStreamOpen(&opened, nullptr, reinterpret_cast<WAVEFORMATEX*>(source.data()),
                      reinterpret_cast<WAVEFORMATEX*>(const_cast<uint8_t*>(destination.data())), nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != 0)
        return false;
    stream.Handle.Attach(opened);
    return acmStreamSize(opened, blockSize, &stream.DestinationSize, ACM_STREAMSIZEF_SOURCE) == 0;
}

// (a) The codec alone, over data already in memory.
double ConvertInMemory(const std::vector<uint8_t>& data, const Bytes& destination)
{
    const DWORD blockSize = 16 * 1024;
    Stream stream;
    if (!OpenStream(destination, blockSize, stream))
        return -1;
    std::vector<BYTE> source(blockSize), output(stream.DestinationSize);
    PreparedStreamHeader header;
    header.Prepare(stream.Handle.Get(), source.data(), blockSize, output.data(), stream.DestinationSize);
    LARGE_INTEGER start = Now();
    size_t done = 0;
    while (done < data.size()) {
        DWORD length = DWORD(std::min<size_t>(blockSize, data.size() - done));
        memcpy(source.data(), data.data() + done, length);
        header.Header().cbSrcLength = length;
        if (acmStreamConvert(stream.Handle.Get(), &header.Header(), ACM_STREAMCONVERTF_BLOCKALIGN) != 0 ||
            header.Header().cbSrcLengthUsed == 0)
            break;
        done += header.Header().cbSrcLengthUsed;
    }
    return Seconds(start, Now());
}

// The earlier converter: each block read with mmioRead, converted, written
// with mmioWrite, the unconsumed rest stepped back with mmioSeek; with the
// figures of every block published to the listener, or without.
bool EarlierConversion(const std::string& sourcePath, const std::string& destinationPath, const Bytes& destination,
                       DWORD blockSize, BatchListener* progress)
{
    WaveReader reader;
    WaveWriter writer;
    Stream stream;
    if (!OpenWaveData(sourcePath.c_str(), reader) ||
        !CreateWaveFile(destinationPath.c_str(), destination.data(), DWORD(destination.size()), writer) ||
        !OpenStream(destination, blockSize, stream))
        return false;
    std::vector<BYTE> source(blockSize), output(stream.DestinationSize);
    PreparedStreamHeader header;
    header.Prepare(stream.Handle.Get(), source.data(), blockSize, output.data(), stream.DestinationSize);
    if (progress)
        StartFileProgress(*progress, reader.DataSize);
    DWORD done = 0;
    while (done < reader.DataSize) {
        LONG read = mmioRead(reader.File.Get(), reinterpret_cast<HPSTR>(source.data()),
                             LONG(std::min(blockSize, reader.DataSize - done)));
        if (read <= 0)
            break;
        header.Header().cbSrcLength = DWORD(read);
        if (acmStreamConvert(stream.Handle.Get(), &header.Header(), ACM_STREAMCONVERTF_BLOCKALIGN) != 0 ||
            header.Header().cbSrcLengthUsed == 0)
            break;
        mmioWrite(writer.File.Get(), reinterpret_cast<const char*>(output.data()),
                  LONG(header.Header().cbDstLengthUsed));
        done += header.Header().cbSrcLengthUsed;
        if (progress)
            UpdateProgress(*progress, header.Header().cbSrcLengthUsed, header.Header().cbDstLengthUsed, done, reader.DataSize);
        if (header.Header().cbSrcLengthUsed < DWORD(read))
            mmioSeek(reader.File.Get(), LONG(header.Header().cbSrcLengthUsed) - read, SEEK_CUR);
    }
    bool finished = FinishWaveFile(writer);
    writer.File.Close();
    if (progress)
        ClearProgressRows(*progress);
    return finished;
}

// (b) File to file as the earlier converter read and wrote, without progress.
double ConvertFileToFile(const std::string& sourcePath, const std::string& destinationPath, const Bytes& destination)
{
    DeleteEarlierOutput(destinationPath);
    LARGE_INTEGER start = Now();
    if (!EarlierConversion(sourcePath, destinationPath, destination, 16 * 1024, nullptr))
        return -1;
    return Seconds(start, Now());
}

// (c) ConvertFile on a worker while the window's thread pumps messages.
double ConvertWithWindow(const std::string& sourcePath, const std::string& destinationPath,
                         const Bytes& destination, WORD bufferSize, unsigned* messages, bool earlierWay = false)
{
    Bytes sourceFormat = PcmFormat(2, 44100, 16);
    WindowBatchListener window(MainDialog);
    NoWindow none;
    BatchListener& listener = MainDialog != nullptr ? static_cast<BatchListener&>(window) : none;
    BatchConversionHost host(listener);
    ConvertOptions options;
    options.BlockSize = bufferSize * 1024u;
    options.Host = &host;
    BatchStatistics = {};
    BatchStatistics.TotalBytes = SourceBytes;
    BatchStatistics.MarkedFiles = 1;
    ResetProgressForBatch(listener);
    DeleteEarlierOutput(destinationPath);

    ConvertResult result = ConvertResult::Failed;
    HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LARGE_INTEGER start = Now(), end = {};
    std::thread worker([&] {
        if (earlierWay)
            result = EarlierConversion(sourcePath, destinationPath, destination, bufferSize * 1024u, &listener)
                         ? ConvertResult::Converted
                         : ConvertResult::Failed;
        else
            result = ConvertFile(sourcePath.c_str(), sourceFormat.data(), DWORD(sourceFormat.size()),
                                 destinationPath.c_str(), destination.data(), DWORD(destination.size()), nullptr,
                                 options);
        end = Now();
        SetEvent(finished);
    });
    *messages = 0;
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &finished, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_APP_PROGRESS)
                ++*messages;
            if (!IsDialogMessageA(MainDialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        if (wait == WAIT_OBJECT_0)
            break;
    }
    worker.join();
    CloseHandle(finished);
    return result == ConvertResult::Converted ? Seconds(start, end) : -1;
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ResetSettingsToDefaults(Settings);

    ScratchFolder folder;
    std::string source = folder.File("source.wav");
    std::string output = folder.File("output.wav");
    WriteSource(source);
    Bytes ima = SuggestFormat(PcmFormat(2, 44100, 16), WAVE_FORMAT_IMA_ADPCM);
    if (ima.empty()) {
        printf("no IMA ADPCM codec\n");
        return 1;
    }

    MainDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    RECT size = {0, 0, 396, 366};
    MapDialogRect(MainDialog, &size);
    AdjustWindowRectEx(&size, DWORD(GetWindowLongPtrA(MainDialog, GWL_STYLE)), FALSE, 0);
    SetWindowPos(MainDialog, nullptr, 0, 0, size.right - size.left, size.bottom - size.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);

    std::vector<uint8_t> data(SourceBytes);
    {
        WaveReader reader;
        OpenWaveData(source.c_str(), reader);
        mmioRead(reader.File.Get(), reinterpret_cast<HPSTR>(data.data()), LONG(SourceBytes));
    }

    // The four figures the table compares, in rounds that take each in turn:
    // the machine's load (two cores, other builds running) changes over
    // minutes, and would otherwise favour whichever ran in a quiet moment.
    std::vector<double> memory, memoryOnWorker, fileToFile, earlierWindow, window16;
    unsigned earlierMessages16 = 0, messages16 = 0;
    for (int run = 0; run < Runs; ++run) {
        memory.push_back(ConvertInMemory(data, ima));
        // The same on a thread of its own, as the converter runs.
        double seconds = 0;
        std::thread worker([&] { seconds = ConvertInMemory(data, ima); });
        worker.join();
        memoryOnWorker.push_back(seconds);
        fileToFile.push_back(ConvertFileToFile(source, output, ima));
        earlierWindow.push_back(ConvertWithWindow(source, output, ima, 16, &earlierMessages16, true));
        window16.push_back(ConvertWithWindow(source, output, ima, 16, &messages16));
    }
    data.clear();
    data.shrink_to_fit();
    double a = MegabytesPerSecond(Median(memory));
    double b = MegabytesPerSecond(Median(fileToFile));
    double e16 = MegabytesPerSecond(Median(earlierWindow));
    double c16 = MegabytesPerSecond(Median(window16));
    printf("source: %u MB, 16-bit stereo 44.1 kHz, to IMA ADPCM; median of %d runs\n", unsigned(SourceBytes >> 20), Runs);
    printf("(a) codec in memory, 16 KB blocks:        %7.1f MB/s\n", a);
    double aw = MegabytesPerSecond(Median(memoryOnWorker));
    printf("(a') the same on a worker thread:         %7.1f MB/s  (a')/(a) %.3f\n", aw, aw / a);
    printf("(b) file to file, no display, 16 KB:      %7.1f MB/s\n", b);
    printf("(e) earlier way with the window, 16 KB:   %7.1f MB/s  (e)/(b) %.3f  (e)/(a) %.3f\n", e16, e16 / b, e16 / a);
    printf("(c) ConvertFile with the window, 16 KB:   %7.1f MB/s  (c)/(b) %.3f  (c)/(a) %.3f  [%u refreshes]\n", c16,
           c16 / b, c16 / a, messages16);

    {
        // Where the difference between (c) and (b) goes: the worker's own
        // figures, without a window to show them, and ConvertFile without one.
        HWND window = MainDialog;
        MainDialog = nullptr;
        BatchStatistics = {};
        BatchStatistics.TotalBytes = SourceBytes;
        NoWindow none;
        ResetProgressForBatch(none);
        StartFileProgress(none, SourceBytes);
        LARGE_INTEGER start = Now();
        const unsigned updates = SourceBytes / (16 * 1024);
        for (unsigned i = 1; i <= updates; ++i)
            UpdateProgress(none, 16384, 4096, i * 16384, SourceBytes);
        double perUpdate = Seconds(start, Now()) / updates * 1e6;
        std::vector<double> times;
        unsigned messages = 0;
        for (int run = 0; run < Runs; ++run)
            times.push_back(ConvertWithWindow(source, output, ima, 16, &messages));
        MainDialog = window;
        double c0 = MegabytesPerSecond(Median(times));
        printf("    figures of one block (UpdateProgress):  %7.2f us\n", perUpdate);
        printf("(c0) ConvertFile, no window, 16 KB:       %7.1f MB/s  (c0)/(b) %.3f\n", c0, c0 / b);
    }

    {
        SetProgressRefreshInterval(1000000);
        std::vector<double> times;
        unsigned messages = 0;
        for (int run = 0; run < Runs; ++run)
            times.push_back(ConvertWithWindow(source, output, ima, 16, &messages));
        SetProgressRefreshInterval(DefaultProgressRefreshInterval);
        double c1 = MegabytesPerSecond(Median(times));
        printf("(c1) ConvertFile, window never redrawn:   %7.1f MB/s  (c1)/(b) %.3f\n", c1, c1 / b);
    }

    // Larger blocks, against (a) and (b) of the rounds above.
    for (WORD bufferSize : {WORD(64), WORD(256)}) {
        std::vector<double> times, earlierTimes;
        unsigned messages = 0, earlierMessages = 0;
        // Alternated, so that whatever else the machine does meets both alike.
        for (int run = 0; run < Runs; ++run) {
            times.push_back(ConvertWithWindow(source, output, ima, bufferSize, &messages));
            earlierTimes.push_back(ConvertWithWindow(source, output, ima, bufferSize, &earlierMessages, true));
        }
        double c = MegabytesPerSecond(Median(times));
        double e = MegabytesPerSecond(Median(earlierTimes));
        unsigned blocks = unsigned(SourceBytes / (bufferSize * 1024u));
        printf("(e) earlier way with the window, %3u KB: %7.1f MB/s  (e)/(b) %.3f  (e)/(a) %.3f\n", bufferSize, e, e / b,
               e / a);
        printf("(c) ConvertFile with the window, %3u KB: %7.1f MB/s  (c)/(b) %.3f  (c)/(a) %.3f"
               "  [%u blocks, %u refreshes in the last run]\n",
               bufferSize, c, c / b, c / a, blocks, messages);
    }

    // The same audio as the earlier converter wrote (which wrote no "fact"
    // chunk before it).
    std::string earlierOutput = folder.File("earlier.wav");
    Bytes sourceFormat = PcmFormat(2, 44100, 16);
    bool same = EarlierConversion(source, earlierOutput, ima, 16 * 1024, nullptr) &&
                ConvertFile(source.c_str(), sourceFormat.data(), DWORD(sourceFormat.size()), output.c_str(), ima.data(),
                            DWORD(ima.size())) == ConvertResult::Converted &&
                !FinishedAudio(output).empty() && FinishedAudio(output) == FinishedAudio(earlierOutput);
    printf("destination's audio identical to the earlier converter's: %s\n", same ? "yes" : "NO");

    // Beside the medians, the best of the runs: what the machine's other
    // work took from a figure shows as spread, and the best run of each
    // comes nearest to what the code itself costs.
    double ab = MegabytesPerSecond(Best(memory)), bb = MegabytesPerSecond(Best(fileToFile));
    double eb = MegabytesPerSecond(Best(earlierWindow)), cb = MegabytesPerSecond(Best(window16));
    printf("\n| 16 KB blocks, %d runs | MB/s median | / (a) | / (b) | MB/s best | / (a) | / (b) |\n", Runs);
    printf("|---|---:|---:|---:|---:|---:|---:|\n");
    printf("| (a) codec in memory | %.1f | 1.000 | %.3f | %.1f | 1.000 | %.3f |\n", a, a / b, ab, ab / bb);
    printf("| (b) earlier, file to file, no display | %.1f | %.3f | 1.000 | %.1f | %.3f | 1.000 |\n", b, b / a, bb,
           bb / ab);
    printf("| (e) earlier, live window | %.1f | %.3f | %.3f | %.1f | %.3f | %.3f |\n", e16, e16 / a, e16 / b, eb,
           eb / ab, eb / bb);
    printf("| (c) now, live window | %.1f | %.3f | %.3f | %.1f | %.3f | %.3f |\n", c16, c16 / a, c16 / b, cb, cb / ab,
           cb / bb);
    DestroyWindow(MainDialog);
    return 0;
}
