// The main window's two sizes, computed from the dialog's own units so the
// window fits its template whatever font and resolution the system has.
#pragma once
#include <windows.h>

// Client heights in dialog units: the template's own, and the one that
// brings the progress rows and statistics below it into view.
constexpr int MainClientWidthUnits = 396;
constexpr int IdleClientHeightUnits = 251;
constexpr int ConversionClientHeightUnits = 366;

// The outer window size whose client area is the given dialog units.
SIZE MainWindowSizeFor(HWND window, int widthUnits, int heightUnits);

// Resizes the window, keeping its top-left corner and Z order.
void ShowIdleSize(HWND window);
void ShowConversionSize(HWND window);
