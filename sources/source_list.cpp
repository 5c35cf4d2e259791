// The source file list: columns, Add Files, Remove File and the release of the
// rows' records.
#include "sources/source_list.h"
#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>
#include <cstring>
#include <string>
#include "engine/format_guard.h"
#include "win/handles.h"
#include "engine/wave_file.h"
#include "res/resource.h"
#include "sources/format_names.h"
#include "sources/source_entry.h"
#include "win/dpi.h"
#include "win/user_prompts.h"

namespace {

LRESULT SendToList(HWND window, UINT message, WPARAM wParam, const void* lParam)
{
    return SendDlgItemMessageA(window, IDC_FILE_LIST, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

// Reads a row's path; an empty text when the list does not give it.
void ReadRowPath(HWND list, int row, char (&text)[SourcePathChars])
{
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = SourcePathChars;
    text[0] = '\0';
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    text[SourcePathChars - 1] = '\0';
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
    char text[SourcePathChars];
    while (low < high) {
        int middle = low + (high - low) / 2;
        ReadRowPath(list, middle, text);
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

bool SetSubItemText(HWND window, int row, int subItem, const char* text)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text);
    return SendToList(window, LVM_SETITEMA, 0, &item) != 0;
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

// The formats described within one command. Asking the codecs for the two
// names opens every installed driver and costs milliseconds, while the files
// of one command mostly share one format or a few: a folder of ten thousand
// prompts in three formats would otherwise ask the codecs for every file.
class DescriptionMemo {
public:
    bool Describe(const BYTE* format, DWORD length, char (&description)[DescriptionChars])
    {
        std::string key(reinterpret_cast<const char*>(format), length);
        for (const Described& known : described_) {
            if (known.format == key) {
                memcpy(description, known.description.c_str(), known.description.size() + 1);
                return true;
            }
        }
        if (!DescribeFormat(format, length, description))
            return false;
        if (described_.size() < MaxKept)
            described_.push_back({ std::move(key), description });
        return true;
    }

private:
    static constexpr size_t MaxKept = 32;
    struct Described {
        std::string format;
        std::string description;
    };
    std::vector<Described> described_;
};

bool DescribeFormatOnce(const BYTE* format, DWORD length, char (&description)[DescriptionChars],
                        DescriptionMemo* memo)
{
    return memo != nullptr ? memo->Describe(format, length, description)
                           : DescribeFormat(format, length, description);
}

bool InsertRow(HWND window, int position, const char* path, const char* sizeText, HGLOBAL entry,
               DescriptionMemo* memo)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = position;
    item.pszText = const_cast<char*>(path);
    item.lParam = reinterpret_cast<LPARAM>(entry);
    int row = int(SendToList(window, LVM_INSERTITEMA, 0, &item));
    if (row == -1)
        return false;
    SetSubItemText(window, row, 1, sizeText);

    BYTE format[MaxKeptFormatBytes];
    DWORD length = 0;
    if (!CopySourceFormat(entry, format, sizeof(format), &length))
        return false;
    char description[DescriptionChars];
    if (!DescribeFormatOnce(format, length, description, memo))
        return false;
    return SetSubItemText(window, row, 2, description);
}

// Reads the row's item data; false when the list does not give it.
bool ReadRowEntry(HWND list, int row, HGLOBAL* entry)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    *entry = reinterpret_cast<HGLOBAL>(item.lParam);
    return true;
}

// Adds one file unless a row holds its path already. Returns nullptr when the
// path stands in the list now, or the message that tells why it does not.
const char* AddSourceFile(HWND window, const char* path, DescriptionMemo& memo)
{
    if (strlen(path) >= SourcePathChars)
        return PathTooLongMessage;
    int place = 0;
    if (FindSortedPlace(GetDlgItem(window, IDC_FILE_LIST), path, &place))
        return nullptr;

    char sizeText[SizeTextChars];
    if (!FormatFileSize(path, sizeText))
        return "Unable to retrieve size of source file.";

    BYTE format[MaxFormatBytes];
    DWORD length = 0;
    if (!ReadSourceFormat(path, format, &length))
        return "Unable to read audio information from source file.";

    HGLOBAL entry = GlobalAlloc(GHND, sizeof(DWORD) + length + sizeof(HGLOBAL));
    if (entry == nullptr)
        return "Unable to allocate memory for audio format information.";
    {
        GlobalLockScope lock(entry);
        if (!lock) {
            GlobalFree(entry);
            return "Unable to lock memory for audio format information.";
        }
        // The destination handle behind the format stays 0 from GHND's zeroing.
        auto* bytes = static_cast<BYTE*>(lock.Data());
        memcpy(bytes, &length, sizeof(DWORD));
        memcpy(bytes + sizeof(DWORD), format, length);
    }

    if (!InsertRow(window, place, path, sizeText, entry, &memo))
        return "Unable to insert new source file into file list.";
    return nullptr;
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
    static const char filter[] = "WAVE audio files (*.WAV)\0*.WAV\0All Files (*.*)\0*.*\0";
    std::vector<char> result(OpenResultBytes, '\0');

    OPENFILENAMEA dialog = {};
    // The record without the fields added after version 4, as the dialog has
    // always been asked; its size differs between 32 and 64 bits.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = result.data();
    dialog.nMaxFile = OpenResultBytes;
    dialog.lpstrTitle = "Source Files";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "WAV";
    if (!ShowOpenDialog(&dialog)) {
        // A cancel says nothing; a selection that did not fit would otherwise
        // look like one, with none of the chosen files added.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ShowError(window, SelectionTooLargeMessage);
        return;
    }
    result.back() = '\0';
    result[result.size() - 2] = '\0';

    const char* failure = nullptr;
    {
        AddSession session(window);
        for (const std::string& path : OpenResultPaths(result.data())) {
            failure = AddSourceFile(window, path.c_str(), session.memo);
            if (failure != nullptr)
                break;
        }
    }
    // Told only after the list shows what was added before the failure.
    if (failure != nullptr)
        ShowError(window, failure);
}

std::vector<std::string> OpenResultPaths(const char* result)
{
    std::vector<std::string> paths;
    if (result == nullptr || result[0] == '\0')
        return paths;
    std::string folder = result;
    const char* name = result + folder.size() + 1;
    if (*name == '\0') {
        paths.push_back(folder);
        return paths;
    }
    if (folder.back() != '\\')
        folder += '\\';
    for (; *name != '\0'; name += strlen(name) + 1)
        paths.push_back(folder + name);
    return paths;
}

bool GetOpenResultPath(const char* result, char (&path)[SourcePathChars], int n)
{
    if (n < 1 || result == nullptr || result[0] == '\0')
        return false;
    size_t firstLength = strlen(result);
    const char* next = result + firstLength + 1;
    if (*next == '\0') {
        if (n != 1 || firstLength >= SourcePathChars)
            return false;
        memcpy(path, result, firstLength + 1);
        return true;
    }

    const char* name = next;
    for (int step = 1; step < n; ++step) {
        name += strlen(name) + 1;
        if (*name == '\0')
            return false;
    }
    size_t nameLength = strlen(name);
    if (firstLength + nameLength + 1 >= SourcePathChars)
        return false;
    memcpy(path, result, firstLength);
    path[firstLength] = '\\';
    memcpy(path + firstLength + 1, name, nameLength + 1);
    return true;
}

void FileSizeText(uint32_t size, char (&text)[SizeTextChars])
{
    constexpr uint32_t KB = 1024;
    constexpr uint32_t MB = KB * 1024;
    constexpr uint32_t GB = MB * 1024;
    if (size >= GB)
        snprintf(text, sizeof(text), "%0.2f GB", double(size) / GB);
    else if (size >= MB)
        snprintf(text, sizeof(text), "%0.2f MB", double(size) / MB);
    else if (size >= KB)
        snprintf(text, sizeof(text), "%0.2f KB", double(size) / KB);
    else
        snprintf(text, sizeof(text), "%u", unsigned(size));
}

bool ReadSourceFileSize(const char* path, uint64_t* size)
{
    // The size as the file's directory entry gives it, without opening the
    // file: opening and closing cost more than the rest of a row together,
    // and the entry answers also for a file that others hold open.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    *size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool FormatFileSize(const char* path, char (&text)[SizeTextChars])
{
    uint64_t size = 0;
    // The low 32 bits, as the column has always shown them; their all-ones
    // value is what the platform's size query answers for a failure.
    if (!ReadSourceFileSize(path, &size) || uint32_t(size) == INVALID_FILE_SIZE)
        return false;
    FileSizeText(uint32_t(size), text);
    return true;
}

bool InsertSourceRow(HWND window, int, const char* path, const char* sizeText, HGLOBAL entry)
{
    // The list keeps its rows in order of their paths, whatever was asked.
    int place = 0;
    FindSortedPlace(GetDlgItem(window, IDC_FILE_LIST), path, &place);
    return InsertRow(window, place, path, sizeText, entry, nullptr);
}

std::vector<const char*> AddSourcePaths(HWND window, const std::vector<std::string>& paths)
{
    std::vector<const char*> outcomes;
    outcomes.reserve(paths.size());
    AddSession session(window);
    for (const std::string& path : paths)
        outcomes.push_back(AddSourceFile(window, path.c_str(), session.memo));
    return outcomes;
}

bool DescribeFormat(const void* format, DWORD length, char (&description)[DescriptionChars])
{
    if (length > MaxKeptFormatBytes)
        return false;
    // The codecs may read the whole WAVEFORMATEX, cbSize included, even when
    // told a shorter length: a 16-byte PCM format has none. They get the
    // guarded copy with zeros behind the format, but still its true length;
    // a format they must not see is one no codec can name.
    std::optional<GuardedFormat> copy = GuardFormat(format, length);
    if (!copy)
        return false;

    char tagName[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
    if (!GetFormatTagName(copy->Fields().wFormatTag, tagName))
        return false;
    char formatName[ACMFORMATDETAILS_FORMAT_CHARS];
    if (!GetFormatName(copy->Get(), length, formatName))
        return false;
    snprintf(description, sizeof(description), "%s - %s", tagName, formatName);
    return true;
}

void RemoveSelectedFiles(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    bool deleted = true;
    {
        ListRedrawPause pause(list);
        int row;
        // Always from the start: every deletion moves the rows behind it.
        while (deleted && (row = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED))) != -1) {
            HGLOBAL entry = nullptr;
            bool haveEntry = ReadRowEntry(list, row, &entry);
            deleted = SendMessageA(list, LVM_DELETEITEM, WPARAM(row), 0) != 0;
            if (deleted && haveEntry)
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
    while ((row = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(row), LVNI_ALL))) != -1) {
        HGLOBAL entry = nullptr;
        if (ReadRowEntry(list, row, &entry))
            FreeSourceEntry(entry);
    }
}
