// The main window's dialog procedure.
#include "ui/main_window.h"
#include <commctrl.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "engine/conversion_thread.h"
#include "engine/progress.h"
#include "res/resource.h"
#include "sources/dropped_files.h"
#include "sources/format_choice.h"
#include "ui/format_panels.h"
#include "sources/selection_summary.h"
#include "sources/source_list.h"
#include "win/app_messages.h"
#include "ui/conversion_control.h"
#include "ui/destination_preview.h"
#include "ui/display_scale.h"
#include "ui/list_menu.h"
#include "ui/preview.h"
#include "ui/resources.h"
#include "ui/settings_dialog.h"
#include "ui/tooltips.h"
#include "ui/tray_icon.h"
#include "win/user_prompts.h"

HWND MainDialog = nullptr;
bool (*CreateColumnsFunction)(HWND window) = CreateFileListColumns;
unsigned SelectionRefreshCount = 0;

namespace {

constexpr ULONG_PTR MainWindowHelpContext = 2000;

UINT_PTR PendingSelectionTimer = 0;

void RefreshSelection(HWND window)
{
    ++SelectionRefreshCount;
    UpdateSelectionButtons(window);
    ShowFormatPanels(window);
    ShowSelectionSummary(window);
}

// A burst of selection changes costs one refresh, SelectionTimer after the
// last of them.
void RestartSelectionTimer(HWND window)
{
    if (PendingSelectionTimer != 0) {
        KillTimer(window, PendingSelectionTimer);
        PendingSelectionTimer = 0;
    }
    PendingSelectionTimer = SetTimer(window, SelectionTimerId, Settings.SelectionTimer, nullptr);
    if (PendingSelectionTimer == 0)
        RefreshSelection(window);
}

bool IsSelectionChange(WPARAM control, const NMHDR* header)
{
    if (control != IDC_FILE_LIST || header->code != LVN_ITEMCHANGED)
        return false;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    return (change->uChanged & LVIF_STATE) != 0 && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) != 0;
}

BOOL OnInitDialog(HWND window)
{
    MainDialog = window;
    if (!CreateColumnsFunction(window)) {
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

void OnCommand(HWND window, int id)
{
    switch (id) {
    case IDC_SELECT_FORMAT:
        if (ChooseDestinationFormat(window))
            ShowFormatPanels(window);
        UpdateConvertButton(window);
        break;
    case IDC_ADD_FILES:
        AddSourceFiles(window);
        UpdateSelectionButtons(window);
        break;
    case IDC_REMOVE_FILE:
        RemoveSelectedFiles(window);
        UpdateSelectionButtons(window);
        break;
    case IDC_DESTINATION:
        if (BrowseDestinationFolder(window))
            ShowDestinationLine(window);
        break;
    case IDC_CONVERT:
        OnConvertCommand(window);
        break;
    case IDC_SETTINGS:
        if (RunSettingsDialog(window) == 0)
            ApplyPriorities();
        break;
    case IDC_PLAY:
        PlayPreview(window);
        break;
    case IDC_STOP_PLAY:
        StopPreview(window);
        break;
    case IDC_PLAY_DESTINATION:
        PlayInDestinationFormat(window);
        break;
    }
}

bool IsCommand(int id)
{
    switch (id) {
    case IDC_SELECT_FORMAT:
    case IDC_ADD_FILES:
    case IDC_REMOVE_FILE:
    case IDC_DESTINATION:
    case IDC_CONVERT:
    case IDC_SETTINGS:
    case IDC_PLAY:
    case IDC_STOP_PLAY:
    case IDC_PLAY_DESTINATION:
        return true;
    }
    return false;
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
    PendingSelectionTimer = 0;
    PostQuitMessage(0);
}

}  // namespace

void ShowDestinationLine(HWND window)
{
    // Room for the longest folder the settings hold, so the line is never cut.
    char line[sizeof("Current destination directory is ") + PathSize];
    snprintf(line, sizeof(line), "Current destination directory is %s", Settings.DestinationPath);
    SetDlgItemTextA(window, IDC_DEST_INFO, line);
}

bool BrowseDestinationFolder(HWND window)
{
    char displayName[MAX_PATH] = "";
    BROWSEINFOA browse = {};
    browse.hwndOwner = window;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = "Destination Folder";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = ShowFolderBrowser(&browse);
    if (chosen == nullptr)
        return false;
    // A path longer than the buffer in bytes can come back cut and without
    // its terminator; the byte behind the buffer stays zero and tells.
    char path[MAX_PATH + 1] = "";
    BOOL isFolder = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!isFolder)
        return false;
    if (strnlen(path, MAX_PATH + 1) >= sizeof(Settings.DestinationPath)) {
        ShowError(window, "Unable to use the selected folder: its path is too long.");
        return false;
    }
    lstrcpynA(Settings.DestinationPath, path, sizeof(Settings.DestinationPath));
    return true;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TaskbarCreatedMessage() && message != 0) {
        RestoreTrayIcon(dialog);
        return FALSE;
    }
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        if (!IsCommand(LOWORD(wParam)))
            return FALSE;
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (!IsSelectionChange(wParam, reinterpret_cast<const NMHDR*>(lParam)))
            return FALSE;
        RestartSelectionTimer(dialog);
        return TRUE;
    case WM_TIMER:
        if (wParam == ProgressRefreshTimer) {
            ShowLatestProgress(dialog);
            return TRUE;
        }
        KillTimer(dialog, PendingSelectionTimer);
        RefreshSelection(dialog);
        return FALSE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        RelayToToolTip(dialog, message, wParam, lParam);
        return FALSE;
    case WM_HELP:
        ShowHelp(dialog, HelpFile, HELP_CONTEXT, MainWindowHelpContext);
        return TRUE;
    case WM_NCLBUTTONDOWN:
        if (wParam != HTMINBUTTON || !TrayIconShown)
            return FALSE;
        // Hidden instead of minimized: the tray icon brings it back.
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
    case WM_APP_TRAY:
        if (lParam != WM_LBUTTONDOWN)
            return FALSE;
        ShowWindow(dialog, SW_RESTORE);
        SetForegroundWindow(dialog);
        return TRUE;
    case WM_CONTEXTMENU:
        return ShowListMenu(dialog, reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
    case WM_DROPFILES:
        AddDroppedFiles(dialog, reinterpret_cast<HDROP>(wParam));
        return TRUE;
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
    case WM_APP_COLLECT_ROWS:
        // A dialog answers a sent message through DWLP_MSGRESULT.
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT,
                          CollectBatchRows(dialog, *reinterpret_cast<std::vector<BatchRow>*>(lParam)));
        return TRUE;
    case WM_APP_CONVERSION_ENDED:
        OnConversionEnded(dialog);
        return TRUE;
    case MM_MCINOTIFY:
        return FinishPreview(dialog, wParam);
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
    return FALSE;
}
