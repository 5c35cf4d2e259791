// List-view rows.
#include "win/list_rows.h"
#include <commctrl.h>

bool ReadRowText(HWND list, int row, int column, char* text, int size)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = size;
    text[0] = '\0';
    bool read = SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    // The list may answer with a text of its own rather than fill the buffer.
    if (read && item.pszText != text)
        lstrcpynA(text, item.pszText, size);
    text[size - 1] = '\0';
    return read;
}

bool SetRowText(HWND list, int row, int column, const char* text)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    return SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

int InsertListRow(HWND list, int position, const char* text, LPARAM data)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = position;
    item.pszText = const_cast<char*>(text);
    item.lParam = data;
    return int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ReadRowData(HWND list, int row, LPARAM* data)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    *data = item.lParam;
    return true;
}

int NextListRow(HWND list, int row, UINT state)
{
    return int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(row), MAKELPARAM(state, 0)));
}
