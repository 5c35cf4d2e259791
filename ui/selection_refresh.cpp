// The refresh after a change of the list's selection.
#include "ui/selection_refresh.h"
#include <commctrl.h>
#include "res/resource.h"
#include "settings/settings.h"
#include "sources/selection_summary.h"
#include "ui/format_panels.h"

namespace {

UINT_PTR PendingSelectionTimer = 0;

void ShowSelection(HWND window)
{
    UpdateSelectionButtons(window);
    ShowFormatPanels(window);
    ShowSelectionSummary(window);
}

}  // namespace

bool NoticeSelectionChange(HWND window, WPARAM control, const NMHDR* header)
{
    if (control != IDC_FILE_LIST || header->code != LVN_ITEMCHANGED)
        return false;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) == 0 || ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) == 0)
        return false;
    if (PendingSelectionTimer != 0) {
        KillTimer(window, PendingSelectionTimer);
        PendingSelectionTimer = 0;
    }
    PendingSelectionTimer = SetTimer(window, SelectionTimerId, Settings.SelectionTimer, nullptr);
    if (PendingSelectionTimer == 0)
        ShowSelection(window);
    return true;
}

void RefreshSelection(HWND window)
{
    KillTimer(window, PendingSelectionTimer);
    ShowSelection(window);
}

void ForgetSelectionTimer() { PendingSelectionTimer = 0; }
