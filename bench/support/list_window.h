// The main window for the tests of the source file list: one real dialog from
// template 101 per test program (making and destroying a shown window is slow
// under Wine), put back to its empty state between cases, with the message box
// and the open dialog answered through their seams.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The program's one main window, made on first use with its list columns.
HWND SharedMainWindow();

// Frees every row's records, empties the list, disables the three buttons
// the list enables, blanks the selection line and forgets recorded messages
// and dialog answers.
void ResetMainWindow(HWND window);

struct ListedMessage {
    HWND owner;
    std::string text;
    std::string title;
    UINT style;
};
// Every message box shown since the last reset, in order; none is shown.
const std::vector<ListedMessage>& ShownMessages();

// What the open dialog was given, its strings copied out.
struct OpenDialogRequest {
    DWORD structSize = 0;
    HWND owner = nullptr;
    std::string filter;  // with its NULs, the closing double NUL included
    DWORD filterIndex = 0;
    char firstResultChar = 'x';
    DWORD maxFile = 0;
    bool hasFileTitle = true;
    bool hasCustomFilter = true;
    bool hasInitialDir = true;
    std::string title;
    DWORD flags = 0;
    std::string defaultExtension;
    LPARAM customData = -1;
};
const std::vector<OpenDialogRequest>& OpenDialogRequests();

// The next open dialog returns TRUE with this result (strings with their NULs,
// the final empty string included), or FALSE when cancelled.
void AnswerOpenDialog(const std::string& result);
void CancelOpenDialog();

// Dialog results: one full path, or a folder followed by names.
std::string SingleFileResult(const std::string& path);
std::string MultiFileResult(const std::string& folder, const std::vector<std::string>& names);

// A list row as the user sees it.
struct ListRow {
    std::string filename;
    std::string size;
    std::string audioFormat;
    bool operator==(const ListRow&) const = default;
};
std::vector<ListRow> ListRows(HWND window);
std::vector<std::string> Filenames(HWND window);

// The item data (SourceEntry handle) of a row.
HGLOBAL RowEntry(HWND window, int row);
// The index of the row whose Filename is path; -1 when there is none.
int FindRow(HWND window, const std::string& path);
// Selecting rows: SelectRows of the batch window support.

// A 16-bit PCM WAVE file of exactly totalBytes bytes (at least 44), with the
// sizes of its chunks to match; large ones are extended without writing the
// zeros.
void WriteWaveOfSize(const std::string& path, uint32_t totalBytes);
// A file of exactly size bytes, of any content; large ones are sparse.
void WriteFileOfSize(const std::string& path, uint64_t size);
