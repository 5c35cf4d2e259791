// The program's one notification-area icon.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include "engine/batch/progress_text.h"

constexpr char IdleTooltip[] = "Tonvelka is idle";

// Filled once when the icon is added; only its tooltip changes afterwards.
extern NOTIFYICONDATAA TrayIcon;

// Whether the icon stands in the notification area: only then does the
// minimize box hide the window behind it.
extern bool TrayIconShown;

// Adds the icon with the idle tooltip; its clicks come to window as
// WM_APP_TRAY. A failure is not reported: the program works on without it,
// and the window minimizes onto the taskbar.
void AddTrayIcon(HWND window, HICON icon);

// The message the shell broadcasts when the taskbar has been created anew
// (Explorer restarted) and every icon is gone; 0 when it cannot be registered.
UINT TaskbarCreatedMessage();

// Puts the icon back, with its current tooltip, after the taskbar was
// created anew. When that fails, a window hidden behind the icon comes back
// onto the taskbar, minimized, as it would have no way back otherwise.
void RestoreTrayIcon(HWND window);

// Removes the icon, whether or not adding it succeeded.
void RemoveTrayIcon();

// Copies text into the tooltip (cut after TooltipChars - 1 characters, all
// that the record in use shows) and modifies the icon.
void SetTrayTooltip(const char* text);
