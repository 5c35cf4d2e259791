// The main window at any DPI.
#include "ui/display_scale.h"
#include <commctrl.h>
#include <utility>
#include "engine/batch/batch_steering.h"
#include "res/resource.h"
#include "ui/preview.h"
#include "ui/resources.h"
#include "ui/tooltips.h"
#include "ui/window_size.h"

UINT MainWindowDpi = BaseDpi;

namespace {

// The labels of the two panels, of the progress rows and statistics, and the
// destination line.
constexpr int BoldLabels[] = {
    IDC_SRC_FORMATTAG_LABEL,  IDC_SRC_CHANNELS_LABEL,   IDC_SRC_SAMPLERATE_LABEL,  IDC_SRC_DATARATE_LABEL,
    IDC_SRC_BLOCKALIGN_LABEL, IDC_SRC_RESOLUTION_LABEL, IDC_SRC_EXTRA_LABEL,       IDC_DST_FORMATTAG_LABEL,
    IDC_DST_CHANNELS_LABEL,   IDC_DST_SAMPLERATE_LABEL, IDC_DST_DATARATE_LABEL,    IDC_DST_BLOCKALIGN_LABEL,
    IDC_DST_RESOLUTION_LABEL, IDC_CONVERT_INFO,         IDC_AVG_COMPRESSION_LABEL, IDC_CUR_COMPRESSION_LABEL,
    IDC_ELAPSED_TIME_LABEL,   IDC_ESTIMATED_TIME_LABEL, IDC_DEST_INFO,             IDC_TOTAL_LABEL,
    IDC_FILE_LABEL,
};

void ApplyBoldFont(HWND window, HFONT font)
{
    for (int id : BoldLabels)
        SendDlgItemMessageA(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

// Replaces the bold font by the dialog's own font in bold, as the dialog
// manager made it for the window's DPI, and gives it to the labels; the font
// before is released once no label shows it. Everything stays as it was when
// the new font cannot be made.
void MatchBoldFontTo(HWND dialog)
{
    FontHandle bold = BoldFontLike(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    if (!bold)
        return;
    ApplyBoldFont(dialog, bold.Get());
    Resources.BoldFont = std::move(bold);
}

void SetFaces(HWND window)
{
    bool playing = Preview.PreviewDevice != 0 && Preview.PreviewState != PlayState::Idle;
    HBITMAP playFace = playing ? Resources.PauseFace.Get() : Resources.PlayFace.Get();
    SendDlgItemMessageA(window, IDC_PLAY, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(playFace));
    SendDlgItemMessageA(window, IDC_STOP_PLAY, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(Resources.StopFace.Get()));
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

void ApplyDisplayScale(HWND window)
{
    MainWindowDpi = WindowDpi(window);
    // No bold font made before the window stands for "none can be made";
    // the labels then keep the dialog font.
    if (Resources.BoldFont)
        MatchBoldFontTo(window);
    // The faces before are released only once the buttons show the new ones.
    BitmapHandle previous[3];
    if (Resources.FacesDpi != MainWindowDpi)
        LoadButtonFaces(GetModuleHandleA(nullptr), MainWindowDpi, previous);
    SetFaces(window);
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
