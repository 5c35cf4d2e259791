// The source file list: columns, Add Files, Remove File and the release of the
// rows' records.
#include "sources/source_list.h"
#include <commctrl.h>
#include <cstring>
#include "res/resource.h"
#include "sources/file_size.h"
#include "sources/format_description.h"
#include "sources/open_result.h"
#include "sources/source_check.h"
#include "sources/source_entry.h"
#include "win/dpi.h"
#include "win/list_rows.h"
#include "win/path_size.h"
#include "win/user_prompts.h"

namespace {

LRESULT SendToList(HWND window, UINT message, WPARAM wParam, const void* lParam)
{
    return SendDlgItemMessageA(window, IDC_FILE_LIST, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

// Where a path belongs among the rows, which stand in ascending order of
// their paths ignoring case, as the list's own string search compares them;
// true when a row holds the path already. The rows are placed here rather
// than by the list's sorted style, whose insertion compares the new path
// with every row in turn: adding to a long list then cost more per file the
// longer the list was. A binary search reads a dozen rows of five thousand.
bool FindSortedPlace(HWND list, const char* path, int* place)
{
    int low = 0;
    int high = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    char text[PathSize];
    while (low < high) {
        int middle = low + (high - low) / 2;
        ReadRowText(list, middle, 0, text);
        int order = lstrcmpiA(text, path);
        if (order == 0) {
            *place = middle;
            return true;
        }
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    *place = low;
    return false;
}

// Keeps the list from redrawing itself, and from resetting its scroll bars,
// after each of many rows that a command adds or removes: a visible list
// otherwise repaints them once per row, which costs several milliseconds each.
// The list is drawn once when the scope ends.
class ListRedrawPause {
public:
    explicit ListRedrawPause(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
    ~ListRedrawPause()
    {
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    ListRedrawPause(const ListRedrawPause&) = delete;
    ListRedrawPause& operator=(const ListRedrawPause&) = delete;

private:
    HWND list_;
};

// The row at its place, its format described once per command. listed
// tells whether the row stands in the list, also when the result is false
// because its format could not be described.
bool InsertRow(HWND list, int place, const char* path, const char* sizeText, HGLOBAL entry, DescriptionMemo& memo,
               bool* listed)
{
    int row = InsertListRow(list, place, path, reinterpret_cast<LPARAM>(entry));
    *listed = row != -1;
    if (row == -1)
        return false;
    SetRowText(list, row, 1, sizeText);

    BYTE format[MaxFormatBytes];
    DWORD length = 0;
    if (!CopySourceFormat(entry, format, sizeof(format), &length))
        return false;
    char description[DescriptionChars];
    return memo.Describe(format, length, description) && SetRowText(list, row, 2, description);
}

// Adds one file unless a row holds its path already.
AddOutcome AddSourceFile(HWND window, const char* path, DescriptionMemo& memo, DWORD treeStart = 0)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    int place = 0;
    if (strlen(path) < PathSize && FindSortedPlace(list, path, &place))
        return {};
    const SourceReading reading = ReadSourceForList(path);
    if (!reading.Message.empty())
        return {reading.Message, false, reading.Why};

    BlockFailure failure = BlockFailure::None;
    HGLOBAL entry = CreateSourceEntry(reading.Format, reading.Length, &failure, treeStart);
    if (entry == nullptr)
        return {failure == BlockFailure::NoLock ? "Unable to lock memory for audio format information."
                                                : "Unable to allocate memory for audio format information.",
                false, {}};

    bool listed = false;
    if (!InsertRow(list, place, path, reading.SizeText, entry, memo, &listed))
        return {"Unable to insert new source file into file list.", listed, {}};
    return {};
}

// What the files of one command share: the list is drawn once, when the
// command is done, and the codecs describe a format once.
struct AddSession {
    explicit AddSession(HWND window) : pause(GetDlgItem(window, IDC_FILE_LIST)) {}
    ListRedrawPause pause;
    DescriptionMemo memo;
};

}  // namespace

bool CreateFileListColumns(HWND window)
{
    struct Column {
        const char* title;
        int width;
        int format;
    };
    static const Column columns[] = {
        { "Filename", 300, LVCFMT_LEFT },
        { "Size", 90, LVCFMT_RIGHT },
        { "Audio Format", 179, LVCFMT_LEFT },
    };
    for (int index = 0; index < 3; ++index) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        if (index > 0) {
            column.mask |= LVCF_SUBITEM;
            column.iSubItem = index;
        }
        column.fmt = columns[index].format;
        // The widths are pixels at 96 DPI; the list grows with the display.
        column.cx = ScaleToDpi(columns[index].width, WindowDpi(window));
        column.pszText = const_cast<char*>(columns[index].title);
        if (SendToList(window, LVM_INSERTCOLUMNA, WPARAM(index), &column) == -1)
            return false;
    }
    return true;
}

void AddSourceFiles(HWND window)
{
    std::vector<std::string> paths = AskForSourceFiles(window);
    if (paths.empty())
        return;
    std::string failure;
    {
        AddSession session(window);
        for (const std::string& path : paths) {
            failure = AddOutcomeText(path.c_str(), AddSourceFile(window, path.c_str(), session.memo));
            if (!failure.empty())
                break;
        }
    }
    // Told only after the list shows what was added before the failure.
    if (!failure.empty())
        ShowError(window, failure.c_str());
}

std::string AddOutcomeText(const char* path, const AddOutcome& outcome)
{
    return WithFailureLine(outcome.Message, path, outcome.Why);
}

std::vector<AddOutcome> AddSourcePaths(HWND window, const std::vector<std::string>& paths,
                                       const std::vector<DWORD>& treeStarts)
{
    std::vector<AddOutcome> outcomes;
    outcomes.reserve(paths.size());
    AddSession session(window);
    for (size_t index = 0; index < paths.size(); ++index) {
        DWORD treeStart = index < treeStarts.size() ? treeStarts[index] : 0;
        outcomes.push_back(AddSourceFile(window, paths[index].c_str(), session.memo, treeStart));
    }
    return outcomes;
}

void RemoveSelectedFiles(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    bool deleted = true;
    {
        ListRedrawPause pause(list);
        int row;
        // Always from the start: every deletion moves the rows behind it.
        while (deleted && (row = NextListRow(list, -1, LVNI_SELECTED)) != -1) {
            // A row whose item data cannot be read frees nothing.
            HGLOBAL entry = GetRowEntry(list, row);
            deleted = SendMessageA(list, LVM_DELETEITEM, WPARAM(row), 0) != 0;
            if (deleted)
                FreeSourceEntry(entry);
        }
    }
    if (!deleted)
        ShowError(window, "Unable to remove one or more items from the file list.");
}

void FreeAllSourceEntries(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    int row = -1;
    while ((row = NextListRow(list, row)) != -1)
        FreeSourceEntry(GetRowEntry(list, row));
}
