// The eight persisted settings, one process-wide record. The registry store
// loads and saves it; everything else only reads it.
#pragma once
#include <windows.h>
#include "win/path_size.h"

constexpr WORD DefaultBufferSize = 16;    // KBytes

struct AppSettings {
    char DestinationPath[PathSize];
    WORD BufferSize;        // KBytes of source read per conversion step
    DWORD PriorityClass;    // process priority class
    int Priority;           // the worker thread's priority
    UINT SelectionTimer;    // milliseconds
    DWORD CompatibilityCheck;  // 0 or 1
    DWORD LowQuality;          // 0 or 1
    DWORD KeepMetadata;        // 0 or 1: converted files keep titles, markers and loops
};

extern AppSettings Settings;

// Fills the defaults; the destination folder is the current directory.
void ResetSettingsToDefaults(AppSettings& settings);

// Bytes read from the source per conversion step. A stored buffer size of 0
// would make every conversion an empty file, so it counts as the default.
DWORD BlockSizeInBytes(WORD bufferSizeKBytes);
