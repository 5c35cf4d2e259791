// Returning to the idle look.
#include "ui/idle_state.h"
#include <windows.h>
#include <commctrl.h>
#include <initializer_list>
#include "engine/batch/progress.h"
#include "res/resource.h"
#include "ui/batch_controls.h"
#include "ui/tray_icon.h"
#include "ui/window_size.h"

void RestoreIdleState(HWND window)
{
    // Figures the worker published but the window has not shown yet must
    // never overwrite the idle look.
    DiscardPendingProgress();

    SetDlgItemTextA(window, IDC_CONVERT, "Convert");
    GiveBackEnableStates(window);

    SendDlgItemMessageA(window, IDC_TOTAL_PROGRESS, PBM_SETPOS, 0, 0);
    for (int id : {IDC_TOTAL_TEXT_LEFT, IDC_TOTAL_MARK, IDC_TOTAL_TEXT_MID, IDC_TOTAL_TEXT_RIGHT})
        SetDlgItemTextA(window, id, "");
    SendDlgItemMessageA(window, IDC_FILE_PROGRESS, PBM_SETPOS, 0, 0);
    for (int id : {IDC_FILE_TEXT_LEFT, IDC_FILE_MARK, IDC_FILE_TEXT_MID, IDC_FILE_TEXT_RIGHT})
        SetDlgItemTextA(window, id, "");
    for (int id : {IDC_CONVERT_INFO, IDC_CUR_COMPRESSION, IDC_AVG_COMPRESSION, IDC_ELAPSED_TIME, IDC_ESTIMATED_TIME})
        SetDlgItemTextA(window, id, "");

    ShowIdleSize(window);
    SetTrayTooltip(IdleTooltip);
}
