// The program's one notification-area icon.
#pragma once
#include <windows.h>
#include <shellapi.h>

constexpr char IdleTooltip[] = "Tonvelka is idle";

// Filled once when the icon is added; only its tooltip changes afterwards.
extern NOTIFYICONDATAA TrayIcon;

// Adds the icon with the idle tooltip; its clicks come to window as
// WM_APP_TRAY. A failure is not reported: the program works on without it.
void AddTrayIcon(HWND window, HICON icon);

// Removes the icon, whether or not adding it succeeded.
void RemoveTrayIcon();

// Copies text into the tooltip (cut after 63 characters) and modifies the icon.
void SetTrayTooltip(const char* text);
