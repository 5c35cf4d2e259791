// The file list's context menu.
#include "ui/list_menu.h"
#include <windowsx.h>
#include <commctrl.h>
#include "res/resource.h"
#include "sources/selection_summary.h"
#include "ui/destination_preview.h"
#include "win/handles.h"
#include "win/user_prompts.h"
#include "win/list_rows.h"

namespace {

// From the keyboard the menu opens below the focused row when it can be
// seen, at the list's corner otherwise.
POINT KeyboardMenuPoint(HWND list)
{
    RECT rect = {};
    GetClientRect(list, &rect);
    POINT point = {rect.left, rect.top};
    int row = NextListRow(list, -1, LVNI_FOCUSED);
    RECT item = {};
    item.left = LVIR_LABEL;
    if (row >= 0 && SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&item)) &&
        item.bottom > rect.top && item.bottom <= rect.bottom)
        point = {item.left, item.bottom};
    ClientToScreen(list, &point);
    return point;
}

void EnableItem(HMENU menu, UINT id, bool enabled)
{
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool Enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

}  // namespace

bool ShowListMenu(HWND window, HWND from, LPARAM point)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    POINT at = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    bool fromKeyboard = at.x == -1 && at.y == -1;
    // While a batch runs the list is disabled and a right click on it comes
    // from the main window itself.
    RECT listRect = {};
    GetWindowRect(list, &listRect);
    if (from != list && (from != window || fromKeyboard || !PtInRect(&listRect, at)))
        return false;

    if (fromKeyboard)
        at = KeyboardMenuPoint(list);
    // A right click on a row outside the selection has made that row the
    // selection (the list does so itself, as in the Explorer), and the
    // selection refresh may still wait for its timer: the buttons that the
    // items follow are brought up to date now. A batch keeps them as it set
    // them.
    if (IsWindowEnabled(list))
        UpdateSelectionButtons(window);

    MenuHandle resource(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_LIST_MENU)));
    if (!resource)
        return true;
    HMENU menu = GetSubMenu(resource.Get(), 0);
    EnableItem(menu, IDC_PLAY, Enabled(window, IDC_PLAY));
    EnableItem(menu, IDC_PLAY_DESTINATION, CanPlayInDestinationFormat(window));
    EnableItem(menu, IDC_SELECT_FORMAT, Enabled(window, IDC_SELECT_FORMAT));
    EnableItem(menu, IDC_REMOVE_FILE, Enabled(window, IDC_REMOVE_FILE));
    int chosen = ShowPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y,
                               window);
    // The command goes through the window as the button's click would.
    if (chosen != 0)
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return true;
}
