// Selection line and the buttons that follow the list.
#include "sources/selection_summary.h"
#include <commctrl.h>
#include "res/resource.h"
#include "sources/file_size.h"
#include "sources/source_entry.h"
#include "win/list_rows.h"
#include "win/path_size.h"

namespace {

// Whether the row's entry names a live destination block; false in *readable
// when the row's item data or its entry cannot be read.
bool RowHasDestination(HWND list, int row, bool* readable)
{
    LPARAM entry = 0;
    HGLOBAL destination = nullptr;
    *readable = ReadRowData(list, row, &entry) && ReadDestinationHandle(reinterpret_cast<HGLOBAL>(entry), &destination);
    return *readable && IsLiveBlock(destination);
}

}  // namespace

void UpdateSelectionButtons(HWND window)
{
    bool selected = NextListRow(GetDlgItem(window, IDC_FILE_LIST), -1, LVNI_SELECTED) != -1;
    EnableWindow(GetDlgItem(window, IDC_REMOVE_FILE), selected);
    EnableWindow(GetDlgItem(window, IDC_SELECT_FORMAT), selected);
    UpdateConvertButton(window);
}

void UpdateConvertButton(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    bool marked = false;
    int row = -1;
    while ((row = NextListRow(list, row)) != -1) {
        bool readable = false;
        if (RowHasDestination(list, row, &readable))
            marked = true;
        if (!readable)
            return;
    }
    HWND convert = GetDlgItem(window, IDC_CONVERT);
    bool enabled = IsWindowEnabled(convert) != FALSE;
    if (enabled != marked)
        EnableWindow(convert, marked);
}

void ShowSelectionSummary(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    uint64_t total = 0;
    unsigned files = 0;
    int row = -1;
    while ((row = NextListRow(list, row, LVNI_SELECTED)) != -1) {
        char path[PathSize];
        if (!ReadRowText(list, row, 0, path))
            continue;
        uint64_t size = 0;
        if (!ReadSourceFileSize(path, &size)) {
            SetDlgItemTextA(window, IDC_SELECTION_INFO, "Unable to calculate size of selected files.");
            return;
        }
        total += size;
        ++files;
    }
    SetDlgItemTextA(window, IDC_SELECTION_INFO, SelectionSummaryText(total, files).c_str());
}

std::string GroupDigits(uint64_t value)
{
    std::string digits = std::to_string(value);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += '.';
        grouped += digits[i];
    }
    return grouped;
}

std::string SelectionSummaryText(uint64_t totalBytes, unsigned files)
{
    if (files == 0)
        return "No files selected.";
    // "files" whatever the count, one included.
    return GroupDigits(totalBytes) + " bytes in " + std::to_string(files) + " files selected.";
}
