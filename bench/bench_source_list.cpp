// Figures for the source file list with many rows of real WAVE files: Add
// Files (answered through the open dialog's seam, in as many commands as the
// dialog's 4,096-character result needs), a refresh of the selection with
// every row selected, and Remove File of all rows. Prints times and time per
// row; asserts nothing.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "support/list_window.h"
#include "support/test_files.h"
#include "engine/wave_file.h"

// The format panels are refreshed between the buttons and the selection line;
// they are timed too when they are part of this build.
#if __has_include("sources/format_panels.h")
#include "sources/format_panels.h"
#define HAVE_FORMAT_PANELS 1
#else
#define HAVE_FORMAT_PANELS 0
#endif

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

int RowCount(HWND window) { return int(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETITEMCOUNT, 0, 0)); }

void Report(const char* what, int rows, double milliseconds)
{
    printf("  %-32s %9.1f ms  %8.3f ms/row\n", what, milliseconds, milliseconds / rows);
}

std::string Name(int index)
{
    char name[32];
    snprintf(name, sizeof(name), "f%05d.wav", index);
    return name;
}

// Adds the first rows names through Add Files, in commands of names that fit
// the dialog's result buffer, in ascending order.
void AddAll(HWND window, const std::string& folder, int rows)
{
    constexpr size_t perCommand = 300;
    for (int first = 0; first < rows; first += int(perCommand)) {
        std::vector<std::string> names;
        for (int i = first; i < rows && names.size() < perCommand; ++i)
            names.push_back(Name(i));
        std::string result = MultiFileResult(folder, names);
        if (result.size() > OpenResultChars) {
            fprintf(stderr, "dialog result too long\n");
            ExitProcess(1);
        }
        AnswerOpenDialog(result);
        AddSourceFiles(window);
    }
}

// What one added row costs, part by part, with the list at its present size.
void ReportParts(HWND window, const ScratchFolder& folder)
{
    constexpr int calls = 200;
    std::string path = folder.File(Name(0));
    std::string missing = folder.File("absent.wav");

    double start = Now();
    for (int i = 0; i < calls; ++i) {
        LVFINDINFOA find = {};
        find.flags = LVFI_STRING;
        find.psz = missing.c_str();
        SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_FINDITEMA, WPARAM(-1), reinterpret_cast<LPARAM>(&find));
    }
    printf("    part: LVM_FINDITEM of a new path   %8.3f ms/call\n", (Now() - start) / calls);

    start = Now();
    for (int i = 0; i < calls; ++i) {
        char text[SizeTextChars];
        FormatFileSize(path.c_str(), text);
    }
    printf("    part: FormatFileSize               %8.3f ms/call\n", (Now() - start) / calls);

    BYTE format[1024];
    DWORD length = 0;
    start = Now();
    for (int i = 0; i < calls; ++i)
        ReadSourceFormat(path.c_str(), format, &length);
    printf("    part: ReadSourceFormat             %8.3f ms/call\n", (Now() - start) / calls);

    start = Now();
    for (int i = 0; i < calls; ++i) {
        char description[DescriptionChars];
        DescribeFormat(format, length, description);
    }
    printf("    part: DescribeFormat               %8.3f ms/call\n", (Now() - start) / calls);
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = { sizeof(controls), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&controls);
    HWND window = SharedMainWindow();
    ResetMainWindow(window);

    constexpr int sizes[] = { 100, 1000, 5000 };
    ScratchFolder folder;
    Bytes wave = PcmWave(1, 8000, SineSamples(8000, 1, 800, 440.0));
    for (int i = 0; i < sizes[2]; ++i)
        WriteWholeFile(folder.File(Name(i)), wave);
    printf("source list with rows of %zu-byte WAVE files%s\n", wave.size(),
           HAVE_FORMAT_PANELS ? "" : " (format panels not in this build)");

    for (int rows : sizes) {
        ResetMainWindow(window);
        printf("%d rows\n", rows);

        double start = Now();
        AddAll(window, folder.Path(), rows);
        Report("Add Files", rows, Now() - start);
        if (RowCount(window) != rows || !ShownMessages().empty()) {
            fprintf(stderr, "expected %d rows, got %d\n", rows, RowCount(window));
            return 1;
        }

        ReportParts(window, folder);

        LVITEMA all = {};
        all.stateMask = LVIS_SELECTED;
        all.state = LVIS_SELECTED;
        SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all));

        double refresh = Now();
        start = refresh;
        UpdateSelectionButtons(window);
        Report("UpdateSelectionButtons", rows, Now() - start);
#if HAVE_FORMAT_PANELS
        start = Now();
        ShowFormatPanels(window);
        Report("ShowFormatPanels", rows, Now() - start);
#endif
        start = Now();
        ShowSelectionSummary(window);
        double end = Now();
        Report("ShowSelectionSummary", rows, end - start);
        Report("selection refresh in all", rows, end - refresh);
        char line[128];
        GetDlgItemTextA(window, IDC_SELECTION_INFO, line, sizeof(line));
        printf("  (%s)\n", line);

        // Every entry and destination block must be gone after Remove File.
        std::vector<HGLOBAL> blocks;
        HWND list = GetDlgItem(window, IDC_FILE_LIST);
        for (int row = 0; row < rows; ++row) {
            HGLOBAL entry = GetRowEntry(list, row);
            blocks.push_back(entry);
            if (HGLOBAL destination = GetDestinationHandle(entry))
                blocks.push_back(destination);
        }
        start = Now();
        RemoveSelectedFiles(window);
        Report("Remove File (all rows)", rows, Now() - start);
        size_t live = 0;
        for (HGLOBAL block : blocks)
            live += GlobalFlags(block) != GMEM_INVALID_HANDLE;
        printf("  memory blocks left after Remove File: %zu of %zu\n", live, blocks.size());
        if (RowCount(window) != 0) {
            fprintf(stderr, "rows left after Remove File\n");
            return 1;
        }
    }
    ResetMainWindow(window);
    return 0;
}
