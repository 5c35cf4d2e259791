// Figures for the source file list with many rows of real WAVE files: Add
// Files (answered through the open dialog's seam, in as many commands as the
// dialog's 4,096-character result needs), a refresh of the selection with
// every row selected, and Remove File of all rows. Prints times and time per
// row; asserts nothing.
//
// Beside each figure of Add Files and of the selection line it prints the
// figure of the earlier way, kept here as a copy, in the same run: rows
// placed by the list control's own sorted style and their sizes taken by
// opening each file.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/file_size.h"
#include "sources/format_description.h"
#include "sources/open_result.h"
#include "sources/source_list.h"
#include "support/list_window.h"
#include "support/test_files.h"
#include "engine/wave/wave_file.h"
#include "ui/main_window.h"
#include "win/list_rows.h"

// The format panels are refreshed between the buttons and the selection line;
// they are timed too when they are part of this build.
#if __has_include("ui/format_panels.h")
#include "ui/format_panels.h"
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

// The earlier way of Add Files, for comparison: the list sorts each new row
// into place itself (LVS_SORTASCENDING, set here on the window for the
// time), duplicates are looked up in a set of the paths gathered once per
// command, and each size is read by opening the file.
namespace earlier {

struct IgnoringCase {
    bool operator()(const std::string& a, const std::string& b) const { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }
};

bool FormatFileSize(const char* path, char (&text)[SizeTextChars])
{
    HANDLE opened = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(opened, nullptr);
    CloseHandle(opened);
    if (size == INVALID_FILE_SIZE)
        return false;
    FileSizeText(size, text);
    return true;
}

// One Add Files command over a dialog result.
bool AddSourceFiles(HWND window, const std::string& result)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    std::set<std::string, IgnoringCase> listed;
    int rows = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        char text[PathSize] = "";
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = PathSize;
        SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        listed.insert(text);
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    std::string lastFormat;
    char description[DescriptionChars] = "";
    bool ok = true;
    int n = 0;
    for (std::string& each : OpenResultPaths(result.c_str())) {
        if (!ok || each.size() >= PathSize)
            break;
        ++n;
        char* path = each.data();
        if (!listed.insert(path).second)
            continue;
        char sizeText[SizeTextChars];
        BYTE format[1024];
        DWORD length = 0;
        HGLOBAL entry = nullptr;
        ok = FormatFileSize(path, sizeText) && ReadSourceFormat(path, format, &length) &&
             (entry = CreateSourceEntry(format, length)) != nullptr;
        if (!ok)
            break;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = n - 1;
        item.pszText = path;
        item.lParam = reinterpret_cast<LPARAM>(entry);
        int row = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        ok = row != -1;
        if (!ok)
            break;
        SetRowText(list, row, 1, sizeText);
        std::string key(reinterpret_cast<char*>(format), length);
        if (key != lastFormat) {
            ok = DescribeFormat(format, length, description);
            lastFormat = key;
        }
        SetRowText(list, row, 2, description);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    return ok;
}

// The selection line with each selected file opened for its size.
void ShowSelectionSummary(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    uint64_t total = 0;
    unsigned files = 0;
    int row = -1;
    while ((row = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED))) != -1) {
        char path[256];
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = path;
        item.cchTextMax = sizeof(path);
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            continue;
        HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER large;
        bool sized = file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &large);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (!sized) {
            SetDlgItemTextA(window, IDC_SELECTION_INFO, "Unable to calculate size of selected files.");
            return;
        }
        total += uint64_t(large.QuadPart);
        ++files;
    }
    SetDlgItemTextA(window, IDC_SELECTION_INFO, SelectionSummaryText(total, files).c_str());
}

}  // namespace earlier

void SetListSorted(HWND window, bool sorted)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    SetWindowLongPtrA(list, GWL_STYLE, sorted ? (style | LVS_SORTASCENDING) : (style & ~LONG_PTR(LVS_SORTASCENDING)));
}

// Adds the first rows names through Add Files, the program's or the earlier
// one, in commands of names that fit the dialog's result buffer, in
// ascending order.
void AddAll(HWND window, const std::string& folder, int rows, bool earlierWay = false)
{
    constexpr size_t perCommand = 300;
    for (int first = 0; first < rows; first += int(perCommand)) {
        std::vector<std::string> names;
        for (int i = first; i < rows && names.size() < perCommand; ++i)
            names.push_back(Name(i));
        std::string result = MultiFileResult(folder, names);
        if (earlierWay) {
            if (!earlier::AddSourceFiles(window, result)) {
                fprintf(stderr, "the earlier Add Files failed\n");
                ExitProcess(1);
            }
            continue;
        }
        if (result.size() > OpenResultBytes) {
            fprintf(stderr, "dialog result too long\n");
            ExitProcess(1);
        }
        AnswerOpenDialog(result);
        AddSourceFiles(window);
    }
}

bool RowsAscending(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    int rows = RowCount(window);
    char previous[PathSize] = "";
    for (int row = 0; row < rows; ++row) {
        char text[PathSize] = "";
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = PathSize;
        SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        if (row > 0 && lstrcmpiA(previous, text) >= 0)
            return false;
        memcpy(previous, text, sizeof(text));
    }
    return true;
}

void SelectAll(HWND window)
{
    LVITEMA all = {};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all));
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

    start = Now();
    for (int i = 0; i < calls; ++i) {
        char text[SizeTextChars];
        earlier::FormatFileSize(path.c_str(), text);
    }
    printf("    part: FormatFileSize, earlier way  %8.3f ms/call\n", (Now() - start) / calls);

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

// Removes the rows from first on, with their records.
void RemoveRowsFrom(HWND window, int first)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    for (int row = RowCount(window) - 1; row >= first; --row) {
        HGLOBAL entry = GetRowEntry(list, row);
        SendMessageA(list, LVM_DELETEITEM, WPARAM(row), 0);
        FreeSourceEntry(entry);
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What one more row costs with the list at each size: one command of 100 new
// files added to lists that hold 100, 1,000 and 5,000 rows, each in a main
// window of its own, the earlier way and now, in rounds that go through all
// of them in turn, so that the load of the machine (two cores, other builds
// running) meets every figure alike. Medians of the rounds.
void ReportPerRowAtSizes(const ScratchFolder& folder, const int (&sizes)[3])
{
    constexpr int added = 100;
    constexpr int rounds = 5;
    Bytes wave = PcmWave(1, 8000, SineSamples(8000, 1, 800, 440.0));
    std::vector<std::string> names;
    for (int i = 0; i < added; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "g%05d.wav", i);
        names.push_back(name);
        WriteWholeFile(folder.File(name), wave);
    }
    const std::string result = MultiFileResult(folder.Path(), names);

    HWND windows[3];
    for (int i = 0; i < 3; ++i) {
        windows[i] = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
        AddAll(windows[i], folder.Path(), sizes[i]);
    }
    std::vector<double> earlierTimes[3], times[3];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            SetListSorted(windows[i], true);
            double start = Now();
            earlier::AddSourceFiles(windows[i], result);
            earlierTimes[i].push_back((Now() - start) / added);
            SetListSorted(windows[i], false);
            RemoveRowsFrom(windows[i], sizes[i]);

            AnswerOpenDialog(result);
            start = Now();
            AddSourceFiles(windows[i]);
            times[i].push_back((Now() - start) / added);
            if (RowCount(windows[i]) != sizes[i] + added || !RowsAscending(windows[i])) {
                fprintf(stderr, "rows missing or out of order\n");
                ExitProcess(1);
            }
            RemoveRowsFrom(windows[i], sizes[i]);
        }
    }
    printf("\n| rows in the list | Add Files ms per added row, earlier | now |\n|---:|---:|---:|\n");
    for (int i = 0; i < 3; ++i)
        printf("| %d | %.3f | %.3f |\n", sizes[i], Median(earlierTimes[i]), Median(times[i]));
    printf("per added row at %d rows / at %d rows (median of %d rounds of %d files): earlier %.2f, now %.2f\n",
           sizes[2], sizes[0], rounds, added, Median(earlierTimes[2]) / Median(earlierTimes[0]),
           Median(times[2]) / Median(times[0]));
    for (HWND window : windows) {
        RemoveRowsFrom(window, 0);
        DestroyWindow(window);
    }
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

    struct Figures {
        double earlierAdd, add, earlierRefresh, refresh;
    };
    std::vector<Figures> figures;
    for (int rows : sizes) {
        Figures measured = {};
        printf("%d rows\n", rows);

        // The earlier way first, on the same files and the same window.
        ResetMainWindow(window);
        SetListSorted(window, true);
        double start = Now();
        AddAll(window, folder.Path(), rows, true);
        measured.earlierAdd = Now() - start;
        Report("Add Files, earlier way", rows, measured.earlierAdd);
        if (RowCount(window) != rows) {
            fprintf(stderr, "expected %d rows, got %d\n", rows, RowCount(window));
            return 1;
        }
        SelectAll(window);
        start = Now();
        UpdateSelectionButtons(window);
#if HAVE_FORMAT_PANELS
        ShowFormatPanels(window);
#endif
        earlier::ShowSelectionSummary(window);
        measured.earlierRefresh = Now() - start;
        Report("selection refresh, earlier way", rows, measured.earlierRefresh);
        ResetMainWindow(window);
        SetListSorted(window, false);

        start = Now();
        AddAll(window, folder.Path(), rows);
        measured.add = Now() - start;
        Report("Add Files", rows, measured.add);
        if (RowCount(window) != rows || !ShownMessages().empty()) {
            fprintf(stderr, "expected %d rows, got %d\n", rows, RowCount(window));
            return 1;
        }
        // Adding the same files again adds nothing, and the order holds.
        AddAll(window, folder.Path(), rows < 300 ? rows : 300);
        if (RowCount(window) != rows || !RowsAscending(window)) {
            fprintf(stderr, "duplicates added or rows out of order\n");
            return 1;
        }

        ReportParts(window, folder);

        SelectAll(window);
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
        measured.refresh = end - refresh;
        Report("selection refresh in all", rows, measured.refresh);
        char line[128];
        GetDlgItemTextA(window, IDC_SELECTION_INFO, line, sizeof(line));
        printf("  (%s)\n", line);
        figures.push_back(measured);

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

    printf("\n| rows | Add Files ms/row, earlier | now | selection refresh ms, earlier | now |\n");
    printf("|---:|---:|---:|---:|---:|\n");
    for (size_t i = 0; i < figures.size(); ++i)
        printf("| %d | %.3f | %.3f | %.1f | %.1f |\n", sizes[i], figures[i].earlierAdd / sizes[i],
               figures[i].add / sizes[i], figures[i].earlierRefresh, figures[i].refresh);
    const Figures& first = figures.front();
    const Figures& last = figures.back();
    printf("Add Files per row at %d rows / at %d rows: earlier %.2f, now %.2f\n", sizes[2], sizes[0],
           (last.earlierAdd / sizes[2]) / (first.earlierAdd / sizes[0]), (last.add / sizes[2]) / (first.add / sizes[0]));
    printf("selection refresh per row at %d rows / at %d rows: earlier %.2f, now %.2f\n", sizes[2], sizes[0],
           (last.earlierRefresh / sizes[2]) / (first.earlierRefresh / sizes[0]),
           (last.refresh / sizes[2]) / (first.refresh / sizes[0]));
    ReportPerRowAtSizes(folder, sizes);
    ResetMainWindow(window);
    return 0;
}
