// The main window's sizes.
#include "ui/window_size.h"

SIZE MainWindowSizeFor(HWND window, int widthUnits, int heightUnits)
{
    RECT rect = {0, 0, widthUnits, heightUnits};
    MapDialogRect(window, &rect);
    DWORD style = DWORD(GetWindowLongPtrA(window, GWL_STYLE));
    DWORD extendedStyle = DWORD(GetWindowLongPtrA(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

namespace {
void Resize(HWND window, int heightUnits)
{
    SIZE size = MainWindowSizeFor(window, MainClientWidthUnits, heightUnits);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}
}  // namespace

void ShowIdleSize(HWND window) { Resize(window, IdleClientHeightUnits); }
void ShowConversionSize(HWND window) { Resize(window, ConversionClientHeightUnits); }
