// Private messages of the main window. WM_APP based: WM_USER numbers collide
// with dialog messages (DM_GETDEFID is WM_USER).
#pragma once
#include <windows.h>

// The worker has published newer progress figures; the window shows them.
constexpr UINT WM_APP_PROGRESS = WM_APP + 1;

// The conversion worker has shown its last message and is about to end;
// wParam is its exit code. The window's thread then waits for it, releases
// the shared state and returns to the idle look.
constexpr UINT WM_APP_CONVERSION_ENDED = WM_APP + 2;

// The tray icon's callback; lParam is the mouse message.
constexpr UINT WM_APP_TRAY = WM_APP + 3;

// WM_DPICHANGED: sent from Windows 8.1 on, which the program's headers for
// older systems do not name.
constexpr UINT WM_DPICHANGED_MESSAGE = 0x02E0;

// The window has been moved to a monitor of another DPI and the system has
// scaled its dialog; what the system does not scale follows then.
constexpr UINT WM_APP_DPI_CHANGED = WM_APP + 5;
