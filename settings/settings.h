// The ten persisted settings, one process-wide record. The registry store
// loads and saves it; everything else only reads it.
#pragma once
#include <windows.h>
#include <optional>
#include <string>
#include "win/path_size.h"

constexpr WORD DefaultBufferSize = 16;    // KBytes

// LevelMode: every file as recorded, at one peak, or at one speech level.
constexpr DWORD LevelAsRecorded = 0;
constexpr DWORD LevelPeak = 1;
constexpr DWORD LevelSpeech = 2;
// LevelTarget, in tenths of a dB below full scale: the most a target may lie
// below it (60.0 dB), and each mode's default (a -1.0 dBFS peak, a speech
// level of -26.0 dBov).
constexpr DWORD MaxLevelTarget = 600;
constexpr DWORD DefaultPeakTarget = 10;
constexpr DWORD DefaultSpeechTarget = 260;

struct AppSettings {
    char DestinationPath[PathSize];
    WORD BufferSize;        // KBytes of source read per conversion step
    DWORD PriorityClass;    // process priority class
    int Priority;           // the worker thread's priority
    UINT SelectionTimer;    // milliseconds
    DWORD CompatibilityCheck;  // 0 or 1
    DWORD LowQuality;          // 0 or 1
    DWORD LevelMode;           // LevelAsRecorded, LevelPeak or LevelSpeech
    DWORD LevelTarget;         // tenths of a dB below full scale, at most MaxLevelTarget
    DWORD KeepMetadata;        // 0 or 1: converted files keep titles, markers and loops
};

extern AppSettings Settings;

// Fills the defaults; the destination folder is the current directory.
void ResetSettingsToDefaults(AppSettings& settings);

// The target a level mode starts with.
DWORD DefaultLevelTarget(DWORD levelMode);

// Bytes read from the source per conversion step. A stored buffer size of 0
// would make every conversion an empty file, so it counts as the default.
DWORD BlockSizeInBytes(WORD bufferSizeKBytes);

// The target in dB with one decimal ("26.0" for 260 tenths). A target is
// read from 0.0 to 60.0 with at most one decimal, after a point or a comma;
// nothing else.
std::string LevelTargetText(DWORD tenths);
std::optional<DWORD> ReadLevelTarget(const char* text);
