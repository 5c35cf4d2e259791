// The settings' store under HKEY_CURRENT_USER\Software\Tonvelka, read once at
// start-up and written once at shutdown, and the priorities they ask for.
#pragma once
#include <windows.h>

// The store's key below HKEY_CURRENT_USER\Software.
constexpr char SettingsStoreKey[] = "Tonvelka";

// Defaults, then every stored value that exists with the right type.
void LoadSettings();
// Writes all nine values.
void SaveSettings();
// The process's priority class, and the calling (window) thread one step
// above the conversion thread.
void ApplyPriorities();

// The window thread's priority for a conversion thread priority.
int WindowThreadPriorityFor(int conversionPriority);
