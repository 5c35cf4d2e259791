// A batch whose sources add up to more than 4 GiB (sparse files), converted
// through the real window: prints the time, the overall figures at the end,
// and the working set from the start to the end of the batch.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "settings/settings.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/progress.h"
#include "engine/batch/progress_text.h"
#include "res/resource.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "support/process_memory.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"
#include "ui/resources.h"
#include "win/user_prompts.h"

namespace {

constexpr DWORD DataBytes = 1600u * 1024 * 1024;
constexpr int Files = 3;

// Header, then a hole up to the declared end: the file reads as silence.
bool WriteSparseWave(const std::string& path)
{
    Bytes header = RiffForm("WAVE", Chunk("fmt ", PcmFormat(2, 44100, 16)));
    Bytes data = ChunkWithSize("data", DataBytes, {});
    uint32_t riffSize = uint32_t(header.size() - 8 + data.size() + DataBytes);
    memcpy(header.data() + 4, &riffSize, 4);
    AppendRaw(header, data.data(), data.size());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, header.data(), DWORD(header.size()), &written, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(header.size()) + DataBytes;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    bool ok = SetEndOfFile(file) != FALSE;
    CloseHandle(file);
    return ok;
}

std::string Name(int i)
{
    char name[32];
    snprintf(name, sizeof(name), "big%d.wav", i);
    return name;
}

int ReportMessage(HWND, const char* text, const char*, UINT)
{
    printf("message: %s\n", text);
    return IDOK;
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadProgramResources(GetModuleHandleA(nullptr));
    ResetSettingsToDefaults(Settings);
    SetMessageBoxFunction(ReportMessage);

    ScratchFolder input, output;
    lstrcpynA(Settings.DestinationPath, output.Path().c_str(), sizeof(Settings.DestinationPath));
    HWND window = CreateBatchWindow();
    for (int i = 0; i < Files; ++i) {
        std::string path = input.File(Name(i));
        if (!WriteSparseWave(path)) {
            printf("cannot write %s\n", path.c_str());
            return 1;
        }
        AddBatchRow(window, path, PcmFormat(1, 44100, 8));
    }

    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    DWORD start = GetTickCount();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
    SIZE_T peak = before.WorkingSetSize;
    std::string lastOverall;
    PumpUntil([&] {
        SIZE_T now = ProcessMemory().WorkingSetSize;
        if (now > peak)
            peak = now;
        std::string overall = ControlText(window, IDC_TOTAL_TEXT_RIGHT);
        if (!overall.empty())
            lastOverall = overall;
        return !IsConversionActive();
    }, 3600000);
    double seconds = (GetTickCount() - start) / 1000.0;
    PROCESS_MEMORY_COUNTERS after = ProcessMemory();

    char percentage[32];
    FormatPercentage(percentage, sizeof(percentage),
                     double(BatchStatistics.ConsumedBytes) / double(BatchStatistics.TotalBytes));
    printf("%d files of %u MB (%.2f GiB in all), 16-bit stereo to 8-bit mono PCM\n", Files, unsigned(DataBytes >> 20),
           double(BatchStatistics.TotalBytes) / (1u << 30));
    printf("time %.1f s, %.0f MB/s of source\n", seconds, BatchStatistics.ConsumedBytes / 1048576.0 / seconds);
    printf("consumed %llu of %llu bytes: %s (last overall figure shown: %s)\n",
           static_cast<unsigned long long>(BatchStatistics.ConsumedBytes),
           static_cast<unsigned long long>(BatchStatistics.TotalBytes), percentage, lastOverall.c_str());
    printf("working set: %.1f MB at the start, peak %.1f MB during, %.1f MB at the end\n",
           before.WorkingSetSize / 1048576.0, peak / 1048576.0, after.WorkingSetSize / 1048576.0);
    int finished = 0;
    for (int i = 0; i < Files; ++i) {
        std::string path = output.File(Name(i));
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        BYTE header[44];
        DWORD read = 0;
        ReadFile(file, header, sizeof(header), &read, nullptr);
        LARGE_INTEGER size;
        GetFileSizeEx(file, &size);
        CloseHandle(file);
        uint32_t riff, data;
        memcpy(&riff, header + 4, 4);
        memcpy(&data, header + 40, 4);
        if (read == 44 && riff == size.QuadPart - 8 && data == DataBytes / 4)
            ++finished;
        DeleteFileA(path.c_str());
    }
    printf("destinations finished with the right sizes: %d of %d\n", finished, Files);
    ClearBatchRows(window);
    DestroyWindow(window);
    return finished == Files ? 0 : 1;
}
