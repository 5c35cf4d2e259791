// Tooltip window of the main window and its two tools.
#include "ui/tooltips.h"
#include <commctrl.h>
#include <utility>
#include "res/resource.h"

HWND ToolTipWindow = nullptr;
FormatToolRects FormatToolRectangles = {};

namespace {

char EmptyText[] = "";

// The control's window rectangle, corner by corner in the client coordinates
// of the main window: the coordinates of the mouse messages that the main
// window relays to the tooltip.
RECT ControlRectangle(HWND window, int id)
{
    RECT rect = {};
    GetWindowRect(GetDlgItem(window, id), &rect);
    POINT topLeft = { rect.left, rect.top };
    POINT bottomRight = { rect.right, rect.bottom };
    ScreenToClient(window, &topLeft);
    ScreenToClient(window, &bottomRight);
    return { topLeft.x, topLeft.y, bottomRight.x, bottomRight.y };
}

void AddTool(HWND toolTip, HWND window, UINT_PTR id, const RECT& rect)
{
    // The first published size of the record: flags 0 make it a rectangle
    // tool of the main window that does not subclass it; the main window
    // relays its mouse messages itself.
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = 0;
    tool.hwnd = window;
    tool.uId = id;
    tool.rect = rect;
    tool.hinst = nullptr;
    tool.lpszText = EmptyText;
    SendMessageA(toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

bool CreateFormatToolTips(HWND window)
{
    ToolTipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 10, 10,
                                    window, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (ToolTipWindow == nullptr)
        return false;
    FormatToolRectangles.source = ControlRectangle(window, IDC_SRC_FORMATTAG);
    AddTool(ToolTipWindow, window, SourceFormatTool, FormatToolRectangles.source);
    FormatToolRectangles.destination = ControlRectangle(window, IDC_DST_FORMATTAG);
    AddTool(ToolTipWindow, window, DestinationFormatTool, FormatToolRectangles.destination);
    // The button is a window of its own whose mouse messages the main window
    // never sees, so the tooltip watches them itself.
    TTTOOLINFOA play = {};
    play.cbSize = TTTOOLINFOA_V1_SIZE;
    play.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    play.hwnd = window;
    play.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, IDC_PLAY));
    play.lpszText = const_cast<char*>(IdlePlayTip);
    SendMessageA(ToolTipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&play));
    SendMessageA(ToolTipWindow, TTM_ACTIVATE, TRUE, 0);
    return true;
}

void ShowPlayToolTip(HWND window, const char* text)
{
    if (ToolTipWindow == nullptr)
        return;
    TTTOOLINFOA play = {};
    play.cbSize = TTTOOLINFOA_V1_SIZE;
    play.hwnd = window;
    play.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, IDC_PLAY));
    play.lpszText = const_cast<char*>(text);
    SendMessageA(ToolTipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&play));
}

void MoveFormatToolTips(HWND window)
{
    if (ToolTipWindow == nullptr)
        return;
    FormatToolRectangles.source = ControlRectangle(window, IDC_SRC_FORMATTAG);
    FormatToolRectangles.destination = ControlRectangle(window, IDC_DST_FORMATTAG);
    const std::pair<UINT_PTR, RECT> tools[] = {{SourceFormatTool, FormatToolRectangles.source},
                                               {DestinationFormatTool, FormatToolRectangles.destination}};
    for (const auto& [id, rect] : tools) {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = window;
        tool.uId = id;
        tool.rect = rect;
        SendMessageA(ToolTipWindow, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void RelayToToolTip(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (ToolTipWindow == nullptr)
        return;
    MSG relayed = {};
    relayed.hwnd = window;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = DWORD(GetMessageTime());
    relayed.pt.x = short(LOWORD(lParam));
    relayed.pt.y = short(HIWORD(lParam));
    SendMessageA(ToolTipWindow, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void DestroyToolTips()
{
    if (ToolTipWindow != nullptr)
        DestroyWindow(ToolTipWindow);
    ToolTipWindow = nullptr;
}
