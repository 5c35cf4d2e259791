// What an operation on a file failed at, and the platform's own code for
// it, so that a message can say why and not only that something failed.
#pragma once
#include <windows.h>
#include <string>

enum class FailureCause : BYTE {
    None,
    OpeningSource,        // the source could not be opened
    Reading,              // reading the source failed
    CreatingDestination,  // the destination could not be created
    CreatingFolder,       // a folder the destination lies in could not be made
    CodecRefused,         // a codec refused the format, or failed converting
    Writing,              // writing the destination failed
    DiskFull,             // the destination's disk is full
    OutOfMemory,          // memory could not be had
};

struct Failure {
    FailureCause Cause = FailureCause::None;
    DWORD Code = 0;  // GetLastError's value, or the codec's MMRESULT
};

// The failure with GetLastError's code: a full disk, however the platform
// says it, is told as such whatever cause was given; so is a write that
// failed without a code (the caller clears it before writing).
Failure LastErrorFailure(FailureCause cause);

// The line a message adds under its text: the file and the cause in plain
// words with the code, "D:\Prompts\welcome.wav: the disk is full (error 112)."
// Empty when there is no failure.
std::string FailureLine(const char* path, const Failure& failure);

// A message's text with, under it, the line that names path and what failed,
// once something did; the text alone otherwise.
std::string WithFailureLine(const std::string& text, const char* path, const Failure& failure);

// failure, or where it tells nothing, the cause without a code.
inline Failure Known(const Failure& failure, FailureCause otherwise)
{
    return failure.Cause != FailureCause::None ? failure : Failure{otherwise, 0};
}

// Where failure is wanted (not null) and nothing was told yet, tells it.
inline void Tell(Failure* where, const Failure& failure)
{
    if (where != nullptr && where->Cause == FailureCause::None)
        *where = failure;
}
