// Loading and saving the settings, and applying the priorities.
#include "settings/settings_store.h"
#include <cstring>
#include "settings/settings.h"

namespace {

const char StoreKey[] = "Tonvelka";

bool QueryDword(HKEY key, const char* name, DWORD* value)
{
    DWORD type = 0;
    DWORD size = sizeof(DWORD);
    DWORD data = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof(DWORD))
        return false;
    *value = data;
    return true;
}

// The stored folder is taken only when it is text that ends within the
// 255-byte request; an over-long or unterminated one is ignored.
void LoadDestinationPath(HKEY key)
{
    char text[PathSize - 1];
    DWORD type = 0;
    DWORD size = sizeof(text);
    if (RegQueryValueExA(key, "DestinationPath", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        return;
    if (type != REG_SZ || size == 0)
        return;
    if (memchr(text, '\0', size) == nullptr) {
        if (size >= sizeof(text))
            return;
        text[size] = '\0';
    }
    lstrcpynA(Settings.DestinationPath, text, sizeof(Settings.DestinationPath));
}

void SetDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

}  // namespace

void LoadSettings()
{
    ResetSettingsToDefaults(Settings);

    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &software) != ERROR_SUCCESS)
        return;
    HKEY store = nullptr;
    if (RegOpenKeyExA(software, StoreKey, 0, KEY_READ, &store) != ERROR_SUCCESS) {
        RegCloseKey(software);
        return;
    }

    LoadDestinationPath(store);
    DWORD value = 0;
    if (QueryDword(store, "BufferSize", &value))
        Settings.BufferSize = WORD(value);
    if (QueryDword(store, "PriorityClass", &value))
        Settings.PriorityClass = value;
    if (QueryDword(store, "Priority", &value))
        Settings.Priority = int(value);
    if (QueryDword(store, "SelectionTimer", &value))
        Settings.SelectionTimer = value;
    if (QueryDword(store, "CompatibilityCheck", &value))
        Settings.CompatibilityCheck = value != 0 ? 1 : 0;
    if (QueryDword(store, "LowQuality", &value))
        Settings.LowQuality = value != 0 ? 1 : 0;
    if (QueryDword(store, "KeepMetadata", &value))
        Settings.KeepMetadata = value != 0 ? 1 : 0;

    RegCloseKey(store);
    RegCloseKey(software);
}

void SaveSettings()
{
    HKEY software = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software", &software) != ERROR_SUCCESS)
        return;
    HKEY store = nullptr;
    if (RegCreateKeyA(software, StoreKey, &store) != ERROR_SUCCESS) {
        RegCloseKey(software);
        return;
    }

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
    SetDword(store, "KeepMetadata", Settings.KeepMetadata != 0 ? 1 : 0);

    RegCloseKey(store);
    RegCloseKey(software);
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
