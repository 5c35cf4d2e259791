// The words for each cause of a failure.
#include "win/failure.h"
#include <cstdio>

Failure LastErrorFailure(FailureCause cause)
{
    const DWORD code = GetLastError();
    // A write that takes fewer bytes than it was given, without an error,
    // met the end of the disk's room.
    if (cause == FailureCause::Writing && code == ERROR_SUCCESS)
        return {FailureCause::DiskFull, ERROR_DISK_FULL};
    const bool full = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL;
    return {full ? FailureCause::DiskFull : cause, code};
}

std::string FailureLine(const char* path, const Failure& failure)
{
    const char* words = nullptr;
    switch (failure.Cause) {
    case FailureCause::None:
        return {};
    case FailureCause::OpeningSource: words = "the file cannot be opened"; break;
    case FailureCause::Reading: words = "the file cannot be read"; break;
    case FailureCause::CreatingDestination: words = "the file cannot be created"; break;
    case FailureCause::CreatingFolder: words = "its folder cannot be created"; break;
    case FailureCause::CodecRefused: words = "the codec refuses the format"; break;
    case FailureCause::Writing: words = "the file cannot be written"; break;
    case FailureCause::DiskFull: words = "the disk is full"; break;
    case FailureCause::OutOfMemory: words = "there is not enough memory"; break;
    }
    char code[40];
    snprintf(code, sizeof(code), " (error %lu).", static_cast<unsigned long>(failure.Code));
    return std::string(path) + ": " + words + code;
}

std::string WithFailureLine(const std::string& text, const char* path, const Failure& failure)
{
    std::string line = FailureLine(path, failure);
    return line.empty() ? text : text + "\n" + line;
}
