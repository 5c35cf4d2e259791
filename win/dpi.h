// The display's DPI as the platform tells it, for the window and for what is
// made before any window exists, and lengths given at 96 DPI scaled to it.
#pragma once
#include <windows.h>

constexpr UINT BaseDpi = 96;  // the DPI at which a figure in pixels is as given

// The DPI the window is drawn at: its monitor's where the system tells it per
// window, otherwise the system's.
UINT WindowDpi(HWND window);

// The system's DPI, for what is made before any window exists.
UINT SystemDpi();

// A length given in pixels at BaseDpi, at another DPI.
int ScaleToDpi(int pixelsAtBaseDpi, UINT dpi);
