// The settings record and its defaults.
#include "settings/settings.h"
#include <cctype>

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

std::string LevelTargetText(DWORD tenths)
{
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::optional<DWORD> ReadLevelTarget(const char* text)
{
    DWORD tenths = 0;
    size_t digits = 0;
    for (; std::isdigit(static_cast<unsigned char>(text[digits])) && digits < 3; ++digits)
        tenths = tenths * 10 + DWORD(text[digits] - '0');
    tenths *= 10;
    const char* rest = text + digits;
    if ((*rest == '.' || *rest == ',') && digits > 0) {
        ++rest;
        if (std::isdigit(static_cast<unsigned char>(*rest)))
            tenths += DWORD(*rest++ - '0');
    }
    if (digits == 0 || *rest != '\0' || tenths > MaxLevelTarget)
        return std::nullopt;
    return tenths;
}
