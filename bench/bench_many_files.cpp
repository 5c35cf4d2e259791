// Thousands of short files through the real main window: added from the
// command line, given a destination format in the chooser with the
// compatibility check on, and converted in one batch, beside the bare loop
// of platform calls that converts the same files without a window (the
// floor), beside tonvelkacmd converting the same folder from its start to
// its end, and the chooser on rows of three and of a hundred source formats.
// Prints the figures; usage: bench_many_files [files ...] (default 1000
// 10000).
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <thread>
#include <utility>
#include "app/command_line.h"
#include "settings/settings.h"
#include "engine/wave/wave_file.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "support/bench_clock.h"
#include "support/process_memory.h"
#include "ui/conversion_control.h"
#include "win/user_prompts.h"

namespace {

std::string Name(int i)
{
    char name[32];
    snprintf(name, sizeof(name), "voice%05d.wav", i);
    return name;
}

double Seconds(LARGE_INTEGER from) { return Seconds(from, Now()); }

// 0.25 s of 16-bit mono audio; every third file at another rate when three
// formats are asked for.
void WriteSources(const ScratchFolder& folder, int files, int formats)
{
    static const uint32_t rates[] = {8000, 11025, 22050};
    for (int i = 0; i < files; ++i) {
        uint32_t rate = rates[i % formats];
        WriteWholeFile(folder.File(Name(i)), PcmWave(1, rate, SineSamples(rate, 1, rate / 4, 440)));
    }
}

void SelectAll(HWND window)
{
    LVITEMA all = {};
    all.stateMask = all.state = LVIS_SELECTED;
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all));
}

// The chooser as a user meets it, timed from another thread: until it shows
// its first tag's formats, then switching to u-law and back.
struct ChooserTimes {
    double open = -1, toUlaw = -1, back = -1;
    LRESULT pcmFormats = 0;
};

ChooserTimes TimeChooser(HWND window)
{
    ChooserTimes times;
    LARGE_INTEGER start = Now();
    std::thread user([&] {
        HWND chooser = nullptr;
        for (int i = 0; i < 60000 && chooser == nullptr; ++i, Sleep(1)) {
            HWND found = FindWindowA(nullptr, "Destination Format");
            if (found != nullptr && IsWindowVisible(found))
                chooser = found;
        }
        if (chooser == nullptr)
            return;
        times.open = Seconds(start);
        HWND tags = GetDlgItem(chooser, IDC_CHOOSER_TAG), formats = GetDlgItem(chooser, IDC_CHOOSER_FORMATS);
        times.pcmFormats = SendMessageA(formats, LB_GETCOUNT, 0, 0);
        LRESULT first = SendMessageA(tags, CB_GETCURSEL, 0, 0);
        auto pick = [&](LRESULT index) {
            LARGE_INTEGER from = Now();
            SendMessageA(tags, CB_SETCURSEL, index, 0);
            SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_TAG, CBN_SELCHANGE), LPARAM(tags));
            return Seconds(from);
        };
        LRESULT ulaw = SendMessageA(tags, CB_FINDSTRING, WPARAM(-1), LPARAM("U-Law"));
        if (ulaw == CB_ERR)
            ulaw = first == 0 ? 1 : 0;
        times.toUlaw = pick(ulaw);
        times.back = pick(first);
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    });
    Press(window, IDC_SELECT_FORMAT);
    user.join();
    return times;
}

Bytes ulawFormat;
MMRESULT AnswerUlaw(ACMFORMATCHOOSEA* chooser)
{
    memcpy(chooser->pwfx, ulawFormat.data(), ulawFormat.size());
    return MMSYSERR_NOERROR;
}

// The floor: what converting one short file takes in platform calls alone,
// without a window, threads or progress: open and descend the source, read
// its format and audio, create the destination's three chunks, one stream,
// one conversion, close.
bool ConvertBare(const std::string& source, const std::string& destination, const Bytes& format)
{
    WaveReader reader;
    BYTE sourceFormat[MaxFormatBytes + sizeof(WAVEFORMATEX)] = {};
    DWORD formatLength = 0;
    if (!ReadSourceFormat(source.c_str(), sourceFormat, &formatLength) || !OpenWaveData(source.c_str(), reader))
        return false;
    std::vector<BYTE> input(reader.DataSize), output(reader.DataSize * 2 + 1024);
    if (mmioRead(reader.File.Get(), reinterpret_cast<HPSTR>(input.data()), LONG(input.size())) != LONG(input.size()))
        return false;
    HACMSTREAM stream = nullptr;
    auto* target = reinterpret_cast<WAVEFORMATEX*>(const_cast<BYTE*>(format.data()));
    if (acmStreamOpen(&stream, nullptr, reinterpret_cast<WAVEFORMATEX*>(sourceFormat), target, nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != 0)
        return false;
    ACMSTREAMHEADER header = {};
    header.cbStruct = sizeof(header);
    header.pbSrc = input.data();
    header.cbSrcLength = DWORD(input.size());
    header.pbDst = output.data();
    header.cbDstLength = DWORD(output.size());
    bool ok = acmStreamPrepareHeader(stream, &header, 0) == 0 &&
              acmStreamConvert(stream, &header, ACM_STREAMCONVERTF_BLOCKALIGN) == 0;
    // u-law, as every compressed destination, carries its sample count.
    WaveWriter writer;
    DWORD samples = header.cbSrcLengthUsed / reinterpret_cast<WAVEFORMATEX*>(sourceFormat)->nBlockAlign;
    ok = ok && CreateWaveFile(destination.c_str(), format.data(), DWORD(format.size()), writer, true) &&
         mmioWrite(writer.File.Get(), reinterpret_cast<HPSTR>(output.data()), LONG(header.cbDstLengthUsed)) ==
             LONG(header.cbDstLengthUsed) &&
         FinishWaveFile(writer, samples);
    acmStreamUnprepareHeader(stream, &header, 0);
    acmStreamClose(stream, 0);
    return ok;
}

// tonvelkacmd started as a process of its own, quietly, as a script starts
// it: its exit code, or -1 when it cannot be started.
int RunConsoleProgram(const std::string& arguments)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line(1, '"');
    line.append(self, strrchr(self, '\\')).append("\\tonvelkacmd.exe\" ").append(arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = DWORD(-1);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess), CloseHandle(process.hThread);
    return int(code);
}

// The same folder through tonvelkacmd, its destinations held against the
// window's.
void TimeConsoleProgram(const ScratchFolder& input, const ScratchFolder& windowOutput, int files, double window,
                        double floor)
{
    ScratchFolder output;
    LARGE_INTEGER start = Now();
    int exitCode = RunConsoleProgram("--quiet --to \"" + output.Path() + "\" --format U-Law --details \"8000 Hz; 8 bits; "
                                     "Mono\" \"" + input.Path() + "\"");
    double console = Seconds(start);
    int identical = 0;
    for (int i = 0; i < files; ++i)
        identical += ReadWholeFile(output.File(Name(i))) == ReadWholeFile(windowOutput.File(Name(i)));
    printf("       tonvelkacmd %.2f s from start to end (%.2f ms a file, exit code %d), against the window's add and "
           "batch %.2f, against the floor %.2f; %d of %d destinations as the window wrote them\n",
           console, console * 1000 / files, exitCode, console / window, console / floor, identical, files);
}

void RunSize(HWND window, int files)
{
    ScratchFolder input, output, floorOutput;
    WriteSources(input, files, 1);
    lstrcpynA(Settings.DestinationPath, output.Path().c_str(), sizeof(Settings.DestinationPath));
    MessageRecorder recorder;

    LARGE_INTEGER start = Now();
    AddCommandLinePaths(window, ("\"" + input.Path() + "\"").c_str());
    double added = Seconds(start);
    int rows = int(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETITEMCOUNT, 0, 0));
    printf("%5d files: added from the command line in %.2f s (%d rows)\n", files, added, rows);

    SelectAll(window);
    PumpFor(200);
    ChooserTimes chooser = TimeChooser(window);
    printf("       chooser, one source format: answers in %.2f s (%ld PCM formats), to u-law %.2f s, back %.2f s\n",
           chooser.open, long(chooser.pcmFormats), chooser.toUlaw, chooser.back);

    SetFormatChooseFunction(AnswerUlaw);
    Press(window, IDC_SELECT_FORMAT);
    SetFormatChooseFunction(nullptr);
    PumpFor(200);

    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    SIZE_T peak = before.WorkingSetSize;
    start = Now();
    Press(window, IDC_CONVERT);
    PumpUntil([&] {
        peak = std::max(peak, ProcessMemory().WorkingSetSize);
        return !IsConversionActive();
    }, 3600000);
    double batch = Seconds(start);
    int converted = 0;
    for (int i = 0; i < files; ++i)
        converted += FinishedAudio(output.File(Name(i))).size() == 2000;

    start = Now();
    int bare = 0;
    for (int i = 0; i < files; ++i)
        bare += ConvertBare(input.File(Name(i)), floorOutput.File(Name(i)), ulawFormat);
    double floor = Seconds(start);
    int identical = 0;
    for (int i = 0; i < files; ++i)
        identical += ReadWholeFile(output.File(Name(i))) == ReadWholeFile(floorOutput.File(Name(i)));
    printf("       batch %.2f s (%.2f ms a file, %d converted, %zu messages), floor %.2f s (%.2f ms a file, %d), "
           "batch/floor %.2f\n",
           batch, batch * 1000 / files, converted, recorder.Messages().size(), floor, floor * 1000 / files, bare,
           batch / floor);
    printf("       %d of %d destinations byte for byte as the bare loop wrote them\n", identical, files);
    printf("       working set %.1f MB before the batch, peak %.1f MB during it (%.1f MB more)\n",
           before.WorkingSetSize / 1048576.0, peak / 1048576.0, (peak - before.WorkingSetSize) / 1048576.0);
    TimeConsoleProgram(input, output, files, added + batch, floor);
    ClearBatchRows(window);
}

void RunThreeFormats(HWND window, int files)
{
    ScratchFolder input;
    WriteSources(input, files, 3);
    MessageRecorder recorder;
    LARGE_INTEGER start = Now();
    AddCommandLinePaths(window, ("\"" + input.Path() + "\"").c_str());
    double added = Seconds(start);
    SelectAll(window);
    PumpFor(200);
    ChooserTimes chooser = TimeChooser(window);
    printf("%5d files of three source formats: added in %.2f s, chooser answers in %.2f s (%ld PCM formats), "
           "to u-law %.2f s, back %.2f s\n",
           files, added, chooser.open, long(chooser.pcmFormats), chooser.toUlaw, chooser.back);
    ClearBatchRows(window);
}

// A folder of real recordings: 100 distinct source formats (ten rates,
// mono and stereo, 8, 16 and 24-bit PCM, float and u-law), a quarter second
// of silence each, the files spread over them in turn.
void RunHundredFormats(HWND window, int files)
{
    static const uint32_t rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 96000};
    static const std::pair<WORD, WORD> kinds[] = {{1, 8}, {1, 16}, {1, 24}, {3, 32}, {WAVE_FORMAT_MULAW, 8}};
    ScratchFolder input;
    for (int i = 0; i < files; ++i) {
        int format = i % 100;
        uint32_t rate = rates[format % 10];
        WORD channels = WORD(1 + format / 10 % 2);
        auto [tag, bits] = kinds[format / 20];
        Bytes audio(rate / 4 * channels * bits / 8, tag == WAVE_FORMAT_MULAW ? 0xFF : 0);
        WriteWholeFile(input.File(Name(i)), RiffForm("WAVE", Join({Chunk("fmt ", WaveFormat(tag, channels, rate, bits)),
                                                                  Chunk("data", audio)})));
    }
    MessageRecorder recorder;
    LARGE_INTEGER start = Now();
    AddCommandLinePaths(window, ("\"" + input.Path() + "\"").c_str());
    double added = Seconds(start);
    int rows = int(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETITEMCOUNT, 0, 0));
    SelectAll(window);
    PumpFor(200);
    ChooserTimes chooser = TimeChooser(window);
    printf("%5d files of 100 source formats: added in %.2f s (%d rows), chooser answers in %.2f s (%ld PCM formats), "
           "to u-law %.2f s, back %.2f s\n",
           files, added, rows, chooser.open, long(chooser.pcmFormats), chooser.toUlaw, chooser.back);
    ClearBatchRows(window);
}

}  // namespace

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ResetSettingsToDefaults(Settings);
    ulawFormat = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    HWND window = CreateBatchWindow();
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 10000};
    for (int files : sizes)
        RunSize(window, files);
    RunThreeFormats(window, sizes.back());
    RunHundredFormats(window, sizes.back());
    DestroyWindow(window);
    return 0;
}
