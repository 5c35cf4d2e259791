// The program's one notification-area icon.
#pragma once
#include <windows.h>
#include <shellapi.h>

// Filled once when the icon is added; only its tooltip changes afterwards.
extern NOTIFYICONDATAA TrayIcon;

// Copies text into the tooltip (cut after 63 characters) and modifies the icon.
void SetTrayTooltip(const char* text);
