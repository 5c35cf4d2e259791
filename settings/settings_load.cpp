// Loading the settings from their store, read only.
#include <cstring>
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "win/handles.h"

namespace {

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

// A mode the program does not know converts as recorded; a target beyond
// the range the dialog takes is the mode's default.
void LoadLevel(HKEY key)
{
    DWORD value = 0;
    if (QueryDword(key, "LevelMode", &value) && value <= LevelSpeech)
        Settings.LevelMode = value;
    Settings.LevelTarget = DefaultLevelTarget(Settings.LevelMode);
    if (QueryDword(key, "LevelTarget", &value) && value <= MaxLevelTarget)
        Settings.LevelTarget = value;
}

}  // namespace

void LoadSettings()
{
    ResetSettingsToDefaults(Settings);

    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    RegistryKey software(opened);
    if (RegOpenKeyExA(software.Get(), SettingsStoreKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    RegistryKey key(opened);
    HKEY store = key.Get();

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
    LoadLevel(store);
    if (QueryDword(store, "KeepMetadata", &value))
        Settings.KeepMetadata = value != 0 ? 1 : 0;
}
