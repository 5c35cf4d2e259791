// The notification-area icon and its tooltip.
#include "ui/tray_icon.h"
#include "win/app_messages.h"

NOTIFYICONDATAA TrayIcon = {};
bool TrayIconShown = false;

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
    lstrcpynA(TrayIcon.szTip, IdleTooltip, TooltipChars);
    TrayIconShown = Shell_NotifyIconA(NIM_ADD, &TrayIcon) != FALSE;
}

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void RestoreTrayIcon(HWND window)
{
    if (TrayIcon.cbSize == 0)
        return;
    // The broadcast also comes when the icon survived (a change of the
    // display's DPI, for one); adding it again then fails, changing it works.
    TrayIconShown = Shell_NotifyIconA(NIM_ADD, &TrayIcon) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &TrayIcon) != FALSE;
    if (!TrayIconShown && !IsWindowVisible(window))
        ShowWindow(window, SW_SHOWMINNOACTIVE);
}

void RemoveTrayIcon()
{
    if (TrayIcon.cbSize != 0)
        Shell_NotifyIconA(NIM_DELETE, &TrayIcon);
    TrayIcon = {};
    TrayIconShown = false;
}

void SetTrayTooltip(const char* text)
{
    static_assert(TooltipChars <= sizeof(TrayIcon.szTip));
    lstrcpynA(TrayIcon.szTip, text, TooltipChars);
    if (TrayIcon.cbSize != 0)
        Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
}
