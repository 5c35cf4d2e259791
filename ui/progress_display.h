// The window's side of the progress figures: the batch's controls and the
// tray tooltip show the newest figures the worker published.
#pragma once
#include <windows.h>

// The shortest time between two refreshes of the figures, and the timer that
// brings a refresh that had to wait (its WM_TIMER goes to ShowLatestProgress).
constexpr DWORD DefaultProgressRefreshInterval = 100;
constexpr UINT_PTR ProgressRefreshTimer = 0x7052;
void SetProgressRefreshInterval(DWORD milliseconds);

// On WM_APP_PROGRESS and on the refresh timer: shows the newest published
// figures, touching only the controls and the tray tooltip whose content
// differs. While a batch runs, this is the only writer of the tray tooltip.
void ShowLatestProgress(HWND mainWindow);
