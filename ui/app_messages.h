// Private messages of the main window. WM_APP based: WM_USER numbers collide
// with dialog messages (DM_GETDEFID is WM_USER).
#pragma once
#include <windows.h>

// The worker has published newer progress figures; the window shows them.
constexpr UINT WM_APP_PROGRESS = WM_APP + 1;
