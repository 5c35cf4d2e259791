// The main window's dialog procedure: one handler per message.
#include "ui/main_window.h"
#include <commctrl.h>
#include <shellapi.h>
#include "res/resource.h"
#include "settings/settings_store.h"
#include "sources/dropped_files.h"
#include "sources/format_choice.h"
#include "sources/selection_summary.h"
#include "sources/source_list.h"
#include "ui/conversion_control.h"
#include "ui/destination_folder.h"
#include "ui/destination_preview.h"
#include "ui/display_scale.h"
#include "ui/format_panels.h"
#include "ui/list_menu.h"
#include "ui/preview.h"
#include "ui/progress_display.h"
#include "ui/resources.h"
#include "ui/selection_refresh.h"
#include "ui/settings_dialog.h"
#include "ui/tooltips.h"
#include "ui/tray_icon.h"
#include "win/app_messages.h"
#include "win/user_prompts.h"

HWND MainDialog = nullptr;

namespace {

constexpr ULONG_PTR MainWindowHelpContext = 2000;

// The commands of the buttons and of the list's menu, each with what it does.
struct Command {
    int id;
    void (*run)(HWND window);
};
const Command Commands[] = {
    {IDC_SELECT_FORMAT,
     [](HWND window) {
         if (ChooseDestinationFormat(window))
             ShowFormatPanels(window);
         UpdateConvertButton(window);
     }},
    {IDC_ADD_FILES,
     [](HWND window) {
         AddSourceFiles(window);
         UpdateSelectionButtons(window);
     }},
    {IDC_REMOVE_FILE,
     [](HWND window) {
         RemoveSelectedFiles(window);
         UpdateSelectionButtons(window);
     }},
    {IDC_DESTINATION,
     [](HWND window) {
         if (BrowseDestinationFolder(window))
             ShowDestinationLine(window);
     }},
    {IDC_CONVERT, OnConvertCommand},
    {IDC_SETTINGS,
     [](HWND window) {
         if (RunSettingsDialog(window) == 0)
             ApplyPriorities();
     }},
    {IDC_PLAY, [](HWND window) { PlayPreview(window); }},
    {IDC_STOP_PLAY, [](HWND window) { StopPreview(window); }},
    {IDC_PLAY_DESTINATION, [](HWND window) { PlayInDestinationFormat(window); }},
};

BOOL OnCommand(HWND window, int id)
{
    for (const Command& command : Commands) {
        if (command.id == id) {
            command.run(window);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL OnInitDialog(HWND window)
{
    MainDialog = window;
    if (!CreateFileListColumns(window)) {
        ShowMessage(window, "Unable to create columns for the file list.", "Fatal Error", MB_OK | MB_ICONHAND);
        PostQuitMessage(1);
        return TRUE;
    }
    // The bold labels and the button faces, for the window's DPI.
    ApplyDisplayScale(window);
    ShowDestinationLine(window);
    AddTrayIcon(window, Resources.Icon);
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                        LVS_EX_FULLROWSELECT);
    SetDlgItemTextA(window, IDC_SELECTION_INFO, "No files selected.");
    CreateFormatToolTips(window);
    DragAcceptFiles(window, TRUE);
    return TRUE;
}

BOOL OnTimer(HWND window, WPARAM timer)
{
    if (timer == ProgressRefreshTimer) {
        ShowLatestProgress(window);
        return TRUE;
    }
    RefreshSelection(window);
    return FALSE;
}

// The minimize box hides the window behind the tray icon while there is one.
BOOL OnNonClientButtonDown(HWND window, WPARAM hitTest)
{
    if (hitTest != HTMINBUTTON || !TrayIconShown)
        return FALSE;
    ShowWindow(window, SW_HIDE);
    return TRUE;
}

BOOL OnTrayIcon(HWND window, LPARAM mouseMessage)
{
    if (mouseMessage != WM_LBUTTONDOWN)
        return FALSE;
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return TRUE;
}

// True when no batch runs or the user agreed to abort it; the batch has then
// ended, its file in progress left with placeholder sizes.
bool AgreeToEndConversion(HWND window)
{
    if (!IsConversionActive())
        return true;
    int answer = ShowMessage(window, "The conversion process is still running. Do you want to abort the conversion ?",
                             "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    if (answer != IDYES)
        return false;
    EndConversionForClose(window);
    return true;
}

void OnClose(HWND window)
{
    if (!AgreeToEndConversion(window))
        return;
    if (DestroyWindow(window))
        return;
    ShowMessage(window, "Unable to destroy applications main window.", "Warning", MB_OK | MB_ICONEXCLAMATION);
    FreeAllSourceEntries(window);
    PostQuitMessage(0);
}

// The answer goes back through DWLP_MSGRESULT: a dialog procedure that
// returned FALSE would let the default processing agree to end the session.
// The window goes only with WM_ENDSESSION: destroyed here, it could no longer
// carry its answer, and the session would be kept from ending.
BOOL OnQueryEndSession(HWND window)
{
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    SetWindowLongPtrA(window, DWLP_MSGRESULT, AgreeToEndConversion(window) ? TRUE : FALSE);
    return TRUE;
}

// The process may end as soon as this returns, before the message loop
// comes round to shutdown, so the settings are saved here already.
void OnEndSession(HWND window, bool ending)
{
    if (!ending)
        return;
    EndConversionForClose(window);
    SaveSettings();
    DestroyWindow(window);
}

void OnDestroy(HWND window)
{
    EndConversionForClose(window);
    ClosePreview(window);
    DestroyToolTips();
    ShowHelp(window, HelpFile, HELP_QUIT, 0);
    FreeAllSourceEntries(window);
    ForgetSelectionTimer();
    PostQuitMessage(0);
}

// The messages of the window's own making and of the platform's that the
// dialog manager does not handle, past the worker's.
INT_PTR OnPrivateMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_APP_TRAY:
        return OnTrayIcon(dialog, lParam);
    case WM_DPICHANGED_MESSAGE:
        // The dialog manager moves and scales the window and its controls
        // in its default handling; the rest follows once that is done.
        PostMessageA(dialog, WM_APP_DPI_CHANGED, 0, 0);
        return FALSE;
    case WM_APP_DPI_CHANGED:
        FollowDpiChange(dialog);
        return TRUE;
    case WM_APP_PROGRESS:
        ShowLatestProgress(dialog);
        return TRUE;
    case WM_APP_CONVERSION_ENDED:
        OnConversionEnded(dialog);
        return TRUE;
    case MM_MCINOTIFY:
        return FinishPreview(dialog, wParam);
    }
    return FALSE;
}

// Mouse messages in the window's client area, which its tooltip must see.
bool IsMouseMessage(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_MBUTTONDOWN ||
           message == WM_MBUTTONUP;
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TaskbarCreatedMessage() && message != 0) {
        RestoreTrayIcon(dialog);
        return FALSE;
    }
    if (IsMouseMessage(message)) {
        RelayToToolTip(dialog, message, wParam, lParam);
        return FALSE;
    }
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_NOTIFY:
        return NoticeSelectionChange(dialog, wParam, reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_TIMER:
        return OnTimer(dialog, wParam);
    case WM_HELP:
        ShowHelp(dialog, HelpFile, HELP_CONTEXT, MainWindowHelpContext);
        return TRUE;
    case WM_NCLBUTTONDOWN:
        return OnNonClientButtonDown(dialog, wParam);
    case WM_CONTEXTMENU:
        return ShowListMenu(dialog, reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
    case WM_DROPFILES:
        AddDroppedFiles(dialog, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_CLOSE:
        OnClose(dialog);
        return TRUE;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(dialog);
    case WM_ENDSESSION:
        OnEndSession(dialog, wParam != FALSE);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return TRUE;
    }
    return OnPrivateMessage(dialog, message, wParam, lParam);
}
