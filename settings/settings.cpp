// The settings record and its defaults.
#include "settings/settings.h"

AppSettings Settings = {};

void ResetSettingsToDefaults(AppSettings& settings)
{
    settings = {};
    // Asked for with 255 bytes: a longer current directory leaves the folder
    // empty rather than cut.
    DWORD length = GetCurrentDirectoryA(PathSize - 1, settings.DestinationPath);
    if (length == 0 || length >= PathSize - 1)
        settings.DestinationPath[0] = '\0';
    settings.BufferSize = DefaultBufferSize;
    settings.PriorityClass = NORMAL_PRIORITY_CLASS;
    settings.Priority = THREAD_PRIORITY_NORMAL;
    settings.SelectionTimer = 50;
    settings.CompatibilityCheck = 1;
    settings.LowQuality = 0;
    settings.LevelMode = LevelAsRecorded;
    settings.LevelTarget = DefaultLevelTarget(LevelAsRecorded);
    settings.KeepMetadata = 1;
}

DWORD DefaultLevelTarget(DWORD levelMode)
{
    return levelMode == LevelPeak ? DefaultPeakTarget : DefaultSpeechTarget;
}

DWORD BlockSizeInBytes(WORD bufferSizeKBytes)
{
    WORD kbytes = bufferSizeKBytes != 0 ? bufferSizeKBytes : DefaultBufferSize;
    return DWORD(kbytes) * 1024;
}
