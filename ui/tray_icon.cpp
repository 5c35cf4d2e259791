// The notification-area icon and its tooltip.
#include "ui/tray_icon.h"

NOTIFYICONDATAA TrayIcon = {};

void SetTrayTooltip(const char* text)
{
    lstrcpynA(TrayIcon.szTip, text, sizeof(TrayIcon.szTip));
    if (TrayIcon.cbSize != 0)
        Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
}
