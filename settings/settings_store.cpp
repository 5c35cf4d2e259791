// Saving the settings, and applying the priorities. Loading them has a file
// of its own, so that a program that only reads them (the console program)
// carries no code that writes the registry.
#include "settings/settings_store.h"
#include <cstring>
#include "settings/settings.h"
#include "win/handles.h"

namespace {

void SetDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

}  // namespace

void SaveSettings()
{
    HKEY created = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software", &created) != ERROR_SUCCESS)
        return;
    RegistryKey software(created);
    if (RegCreateKeyA(software.Get(), SettingsStoreKey, &created) != ERROR_SUCCESS)
        return;
    RegistryKey key(created);
    HKEY store = key.Get();

    // The buffer always holds a terminator; never write past it.
    size_t length = strnlen(Settings.DestinationPath, sizeof(Settings.DestinationPath) - 1);
    char path[PathSize];
    memcpy(path, Settings.DestinationPath, length);
    path[length] = '\0';
    RegSetValueExA(store, "DestinationPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), DWORD(length + 1));
    SetDword(store, "BufferSize", Settings.BufferSize);
    SetDword(store, "PriorityClass", Settings.PriorityClass);
    SetDword(store, "Priority", DWORD(Settings.Priority));
    SetDword(store, "SelectionTimer", Settings.SelectionTimer);
    SetDword(store, "CompatibilityCheck", Settings.CompatibilityCheck != 0 ? 1 : 0);
    SetDword(store, "LowQuality", Settings.LowQuality != 0 ? 1 : 0);
    SetDword(store, "LevelMode", Settings.LevelMode);
    SetDword(store, "LevelTarget", Settings.LevelTarget);
    SetDword(store, "KeepMetadata", Settings.KeepMetadata != 0 ? 1 : 0);
}

int WindowThreadPriorityFor(int conversionPriority)
{
    switch (conversionPriority) {
    case THREAD_PRIORITY_IDLE:
        return THREAD_PRIORITY_LOWEST;
    case THREAD_PRIORITY_LOWEST:
        return THREAD_PRIORITY_BELOW_NORMAL;
    case THREAD_PRIORITY_BELOW_NORMAL:
        return THREAD_PRIORITY_NORMAL;
    case THREAD_PRIORITY_NORMAL:
        return THREAD_PRIORITY_ABOVE_NORMAL;
    case THREAD_PRIORITY_ABOVE_NORMAL:
        return THREAD_PRIORITY_HIGHEST;
    default:
        return THREAD_PRIORITY_TIME_CRITICAL;
    }
}

void ApplyPriorities()
{
    SetPriorityClass(GetCurrentProcess(), Settings.PriorityClass);
    SetThreadPriority(GetCurrentThread(), WindowThreadPriorityFor(Settings.Priority));
}
