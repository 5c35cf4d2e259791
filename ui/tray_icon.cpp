// The notification-area icon and its tooltip.
#include "ui/tray_icon.h"
#include "ui/app_messages.h"

NOTIFYICONDATAA TrayIcon = {};

void AddTrayIcon(HWND window, HICON icon)
{
    TrayIcon = {};
    // The first published layout of the record, which every shell accepts.
    TrayIcon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIcon.hWnd = window;
    TrayIcon.uID = 0;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIcon.uCallbackMessage = WM_APP_TRAY;
    TrayIcon.hIcon = icon;
    lstrcpynA(TrayIcon.szTip, IdleTooltip, sizeof(TrayIcon.szTip));
    Shell_NotifyIconA(NIM_ADD, &TrayIcon);
}

void RemoveTrayIcon()
{
    if (TrayIcon.cbSize != 0)
        Shell_NotifyIconA(NIM_DELETE, &TrayIcon);
    TrayIcon = {};
}

void SetTrayTooltip(const char* text)
{
    lstrcpynA(TrayIcon.szTip, text, sizeof(TrayIcon.szTip));
    if (TrayIcon.cbSize != 0)
        Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
}
