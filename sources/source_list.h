// The source file list of the main window: its columns, the rows added from
// the open dialog with their size and format texts, their removal, and the
// release of the records the rows own.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// Sizes of the texts and buffers the list works with.
// The open dialog's result: ten thousand names of forty characters fit even
// when each character takes three UTF-8 bytes.
constexpr DWORD OpenResultBytes = 2 * 1024 * 1024;
constexpr DWORD SourcePathChars = 256;      // one full path with its terminator
constexpr DWORD SizeTextChars = 32;         // the Size column
constexpr DWORD DescriptionChars = 256;     // the Audio Format column

// Inserts the Filename, Size and Audio Format columns; false at the first
// column that could not be inserted.
bool CreateFileListColumns(HWND window);

// The Add Files command: asks for files and adds a row for each new one.
// Stops at the first file that cannot be added, after telling the user why.
void AddSourceFiles(HWND window);

// Adds a row for each path that the list does not hold yet, going on past a
// file that cannot be added; the list is drawn once, at the end. Gives for
// each path nullptr when it stands in the list now, or the message that tells
// why it does not (the same texts as Add Files).
std::vector<const char*> AddSourcePaths(HWND window, const std::vector<std::string>& paths);

// The reason given for a path that does not fit into SourcePathChars.
constexpr char PathTooLongMessage[] = "Unable to add a source file whose path is too long.";

// What the open dialog answers when the chosen names did not fit into its
// result.
constexpr char SelectionTooLargeMessage[] =
    "Unable to add the chosen files: there are more of them than the program can take at once. "
    "Choose fewer files, or drag their folder onto the window.";

// Every full path of an open dialog result, in the dialog's order, each whole
// (a path too long for the list is refused when it is added, never cut). A
// folder that ends in a backslash (a drive's root) gets no second one.
std::vector<std::string> OpenResultPaths(const char* result);

// The n-th (from 1) full path of an open dialog result: either one full path,
// or a folder followed by names. False when there is no n-th file or its path
// would not fit into SourcePathChars.
bool GetOpenResultPath(const char* result, char (&path)[SourcePathChars], int n);

// The Size column's text for a size in bytes: a bare number below 1 KB, then
// KB, MB and GB (powers of 1024) with two decimals.
void FileSizeText(uint32_t size, char (&text)[SizeTextChars]);

// A file's size in bytes, all 64 bits of it; false when it cannot be read or
// the path names a folder.
bool ReadSourceFileSize(const char* path, uint64_t* size);

// The Size column's text for a file; false when its size cannot be read.
bool FormatFileSize(const char* path, char (&text)[SizeTextChars]);

// Inserts a row for a source file with its three columns, in its place in
// the ascending order of paths (the requested position is not used). False when the
// row could not be inserted or its format not described; a row that was
// inserted stays, with its entry.
bool InsertSourceRow(HWND window, int position, const char* path, const char* sizeText, HGLOBAL entry);

// "<tag name> - <format name>" as the installed codecs name the format of
// length bytes; false when no codec knows the tag or the format.
bool DescribeFormat(const void* format, DWORD length, char (&description)[DescriptionChars]);

// The Remove File command: removes every selected row and frees its records.
void RemoveSelectedFiles(HWND window);

// Frees the records of every row without removing the rows; for the end of
// the main window.
void FreeAllSourceEntries(HWND window);
