// File sizes and their texts.
#include "sources/file_size.h"
#include <cstdio>

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
    // The low 32 bits, which the column shows; their all-ones
    // value is what the platform's size query answers for a failure.
    if (!ReadSourceFileSize(path, &size) || uint32_t(size) == INVALID_FILE_SIZE)
        return false;
    FileSizeText(uint32_t(size), text);
    return true;
}
