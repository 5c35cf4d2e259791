// Long batches through the real main window: a thousand small files
// converted in one batch, and five thousand rows added and removed. Prints
// the time each took and the memory before and after, and how many memory
// blocks of the rows are still alive after their removal.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "settings/settings.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/progress.h"
#include "res/resource.h"
#include "sources/source_entry.h"
#include "support/batch_window.h"
#include "support/process_memory.h"
#include "sources/source_list.h"
#include "ui/conversion_control.h"
#include "win/user_prompts.h"

namespace {

std::string Name(int i)
{
    char name[32];
    snprintf(name, sizeof(name), "file%04d.wav", i);
    return name;
}

double Megabytes(SIZE_T bytes) { return bytes / 1048576.0; }

Bytes ulawFormat;
MMRESULT AnswerUlaw(ACMFORMATCHOOSEA* chooser)
{
    memcpy(chooser->pwfx, ulawFormat.data(), ulawFormat.size());
    return MMSYSERR_NOERROR;
}

// Gives the rows (all of them when none is named) u-law in the chooser.
void MarkInChooser(HWND window, const std::vector<int>& rows)
{
    SelectRows(window, rows);
    if (rows.empty()) {
        LVITEMA all = {};
        all.stateMask = all.state = LVIS_SELECTED;
        SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all));
    }
    SetFormatChooseFunction(AnswerUlaw);
    Press(window, IDC_SELECT_FORMAT);
    SetFormatChooseFunction(nullptr);
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    MessageRecorder recorder;
    ResetSettingsToDefaults(Settings);
    ScratchFolder input, output;
    lstrcpynA(Settings.DestinationPath, output.Path().c_str(), sizeof(Settings.DestinationPath));
    HWND window = CreateBatchWindow();
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    ulawFormat = ulaw;

    constexpr int BatchFiles = 1000;
    Bytes source = PcmWave(1, 8000, SineSamples(8000, 1, 2000, 440));
    std::vector<std::string> batchPaths;
    for (int i = 0; i < BatchFiles; ++i) {
        batchPaths.push_back(input.File(Name(i)));
        WriteWholeFile(batchPaths.back(), source);
    }
    AddSourcePaths(window, batchPaths);
    MarkInChooser(window, {});
    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    DWORD start = GetTickCount();
    Press(window, IDC_CONVERT);
    bool ended = PumpUntil([] { return !IsConversionActive(); }, 600000);
    DWORD took = GetTickCount() - start;
    PROCESS_MEMORY_COUNTERS after = ProcessMemory();
    int converted = 0;
    for (int i = 0; i < BatchFiles; ++i)
        converted += FinishedAudio(output.File(Name(i))).size() == 2000;
    printf("%d-file batch: %s in %.1f s, %d converted, %zu messages; working set %.1f -> %.1f MB (peak %.1f), private %.1f -> %.1f MB\n",
           BatchFiles, ended ? "ended" : "did not end", took / 1000.0, converted, recorder.Messages().size(),
           Megabytes(before.WorkingSetSize), Megabytes(after.WorkingSetSize), Megabytes(after.PeakWorkingSetSize),
           Megabytes(before.PagefileUsage), Megabytes(after.PagefileUsage));
    ClearBatchRows(window);

    // Added as the program adds dropped files and those of its command line,
    // in one command; every other row then marked in the chooser.
    constexpr int Rows = 5000;
    std::vector<std::string> paths;
    for (int i = 0; i < Rows; ++i) {
        paths.push_back(input.File("row" + Name(i)));
        WriteWholeFile(paths.back(), source);
    }
    start = GetTickCount();
    AddSourcePaths(window, paths);
    DWORD added = GetTickCount() - start;
    std::vector<int> odd;
    for (int i = 1; i < Rows; i += 2)
        odd.push_back(i);
    MarkInChooser(window, odd);
    std::vector<HGLOBAL> blocks;
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    for (int i = 0; i < Rows; ++i) {
        blocks.push_back(GetRowEntry(list, i));
        if (HGLOBAL destination = GetDestinationHandle(blocks.back()))
            blocks.push_back(destination);
    }
    before = ProcessMemory();
    SelectRows(window, {});
    LVITEMA all = {};
    all.stateMask = all.state = LVIS_SELECTED;
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all));
    start = GetTickCount();
    Press(window, IDC_REMOVE_FILE);
    DWORD removed = GetTickCount() - start;
    after = ProcessMemory();
    int live = 0;
    for (HGLOBAL block : blocks)
        live += GlobalFlags(block) != GMEM_INVALID_HANDLE;
    printf("%d rows: added in %.1f s (one command, as a drop adds them), removed in %.1f s, %d of %zu memory blocks still alive, %ld rows left; private %.1f -> %.1f MB\n",
           Rows, added / 1000.0, removed / 1000.0, live, blocks.size(),
           long(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETITEMCOUNT, 0, 0)), Megabytes(before.PagefileUsage),
           Megabytes(after.PagefileUsage));
    DestroyWindow(window);
    return ended && converted == BatchFiles && live == 0 ? 0 : 1;
}
