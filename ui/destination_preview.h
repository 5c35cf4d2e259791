// Listening to a row as it will sound in its destination format: the first
// seconds of its source go through the converter into a temporary WAVE file,
// at the level the batch gives the file (measured over the whole file first),
// which then plays through the preview device as a source would.
#pragma once
#include <windows.h>

// How much of a source the sample holds; a shorter source goes in whole.
constexpr DWORD SampleSeconds = 30;

// Whether the command can run: exactly one row selected, which has a
// destination format, and no batch.
bool CanPlayInDestinationFormat(HWND window);

// The IDC_PLAY_DESTINATION command: ends the preview that is open, converts
// the sample and plays it. A failed conversion shows "Unable to convert audio
// file." and leaves no preview. Returns TRUE.
BOOL PlayInDestinationFormat(HWND window);

// The bytes of a source's audio data that hold its first seconds, in whole
// blocks of the source format (at least one); from the format's bytes.
DWORD SampleSourceBytes(const void* format, DWORD length, DWORD seconds);
