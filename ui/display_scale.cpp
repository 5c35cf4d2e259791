// The main window at any DPI.
#include "ui/display_scale.h"
#include <commctrl.h>
#include "engine/conversion_state.h"
#include "res/resource.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/resources.h"
#include "ui/tooltips.h"
#include "ui/window_size.h"

UINT MainWindowDpi = BaseDpi;

namespace {

// Per-window DPI came with Windows 10 1607; earlier systems have one DPI for
// every window, which the screen's device context tells.
UINT ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : BaseDpi;
}

template <typename Function>
Function User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                             : nullptr;
}

void SetFaces(HWND window)
{
    HBITMAP playFace = Preview.PreviewDevice != 0 && Preview.PreviewState != PreviewIdle ? Resources.PauseFace
                                                                                         : Resources.PlayFace;
    SendDlgItemMessageA(window, IDC_PLAY, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(playFace));
    SendDlgItemMessageA(window, IDC_STOP_PLAY, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(Resources.StopFace));
}

void ScaleColumns(HWND window, UINT from, UINT to)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    for (int column = 0; column < 3; ++column) {
        int width = int(SendMessageA(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
        SendMessageA(list, LVM_SETCOLUMNWIDTH, WPARAM(column), MAKELPARAM(MulDiv(width, int(to), int(from)), 0));
    }
}

}  // namespace

UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : ScreenDpi();
}

UINT SystemDpi()
{
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    UINT dpi = getDpiForSystem != nullptr ? getDpiForSystem() : 0;
    return dpi != 0 ? dpi : ScreenDpi();
}

int ScaleToDpi(int pixelsAtBaseDpi, UINT dpi) { return MulDiv(pixelsAtBaseDpi, int(dpi), int(BaseDpi)); }

void ApplyDisplayScale(HWND window)
{
    MainWindowDpi = WindowDpi(window);
    // No bold font made before the window stands for "none can be made";
    // the labels then keep the dialog font.
    if (Resources.BoldFont != nullptr)
        MatchBoldFontTo(window);
    HBITMAP previous[3] = {};
    if (Resources.FacesDpi != MainWindowDpi)
        LoadButtonFaces(GetModuleHandleA(nullptr), MainWindowDpi, previous);
    SetFaces(window);
    for (HBITMAP face : previous)
        if (face != nullptr)
            DeleteObject(face);
}

void FollowDpiChange(HWND window)
{
    UINT previous = MainWindowDpi;
    ApplyDisplayScale(window);
    if (previous != MainWindowDpi)
        ScaleColumns(window, previous, MainWindowDpi);
    MoveFormatToolTips(window);
    if (IsConversionActive())
        ShowConversionSize(window);
    else
        ShowIdleSize(window);
    InvalidateRect(window, nullptr, TRUE);
}
