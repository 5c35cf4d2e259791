// The Size column of the source list and the sizes of the selection line:
// a file's size from its directory entry, and its text.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr DWORD SizeTextChars = 32;  // the Size column's text with its terminator

// The Size column's text for a size in bytes: a bare number below 1 KB, then
// KB, MB and GB (powers of 1024) with two decimals.
void FileSizeText(uint32_t size, char (&text)[SizeTextChars]);

// A file's size in bytes, all 64 bits of it; false when it cannot be read or
// the path names a folder.
bool ReadSourceFileSize(const char* path, uint64_t* size);

// The Size column's text for a file; false when its size cannot be read.
bool FormatFileSize(const char* path, char (&text)[SizeTextChars]);
