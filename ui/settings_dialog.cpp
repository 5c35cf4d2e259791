// The settings dialog.
#include "ui/settings_dialog.h"
#include <commctrl.h>
#include <cstring>
#include <iterator>
#include "settings/settings.h"
#include "res/resource.h"
#include "win/user_prompts.h"

namespace {

// The settings dialog's topic in the help file.
constexpr DWORD SettingsHelpContext = 3000;

struct PriorityClassRow {
    const char* Text;
    DWORD Value;
};
const PriorityClassRow PriorityClasses[] = {
    {"Idle", IDLE_PRIORITY_CLASS},
    {"Normal", NORMAL_PRIORITY_CLASS},
    {"High", HIGH_PRIORITY_CLASS},
    {"Real-Time", REALTIME_PRIORITY_CLASS},
};

struct ThreadPriorityRow {
    const char* Text;
    int Value;
};
const ThreadPriorityRow ThreadPriorities[] = {
    {"Idle", THREAD_PRIORITY_IDLE},          {"Lowest", THREAD_PRIORITY_LOWEST},
    {"Low", THREAD_PRIORITY_BELOW_NORMAL},   {"Normal", THREAD_PRIORITY_NORMAL},
    {"High", THREAD_PRIORITY_ABOVE_NORMAL},  {"Highest", THREAD_PRIORITY_HIGHEST},
};

const char* const LevelModes[] = {"As recorded", "Peak", "Speech level (ITU-T P.56)"};

constexpr int LastClassPosition = int(std::size(PriorityClasses)) - 1;
constexpr int LastThreadPosition = int(std::size(ThreadPriorities)) - 1;

int ClampPosition(int position, int last) { return position < 0 ? 0 : position > last ? last : position; }

int TrackbarPosition(HWND dialog, int id)
{
    return int(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

void ShowTrackbarText(HWND dialog, int trackbar)
{
    int position = TrackbarPosition(dialog, trackbar);
    if (trackbar == IDC_PRIORITY_CLASS)
        SetDlgItemTextA(dialog, IDC_PRIORITY_CLASS_TEXT, PriorityClassText(position));
    else
        SetDlgItemTextA(dialog, IDC_THREAD_PRIORITY_TEXT, ThreadPriorityText(position));
}

void SetUpTrackbar(HWND dialog, int id, int last, int position)
{
    SendDlgItemMessageA(dialog, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, last));
    SendDlgItemMessageA(dialog, id, TBM_SETPAGESIZE, 0, 1);
    SendDlgItemMessageA(dialog, id, TBM_SETLINESIZE, 0, 1);
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
    ShowTrackbarText(dialog, id);
}

// The target matters only with a mode; each mode starts at its own default,
// since a peak of -1.0 dB and a speech level of -26.0 dB lie far apart.
void ShowLevelMode(HWND dialog, DWORD levelMode, DWORD target)
{
    SetDlgItemTextA(dialog, IDC_LEVEL_TARGET, LevelTargetText(target).c_str());
    EnableWindow(GetDlgItem(dialog, IDC_LEVEL_TARGET), levelMode != LevelAsRecorded);
}

void SetUpLevelRow(HWND dialog)
{
    for (const char* text : LevelModes)
        SendDlgItemMessageA(dialog, IDC_LEVEL_MODE, CB_ADDSTRING, 0, LPARAM(text));
    const DWORD mode = Settings.LevelMode <= LevelSpeech ? Settings.LevelMode : LevelAsRecorded;
    SendDlgItemMessageA(dialog, IDC_LEVEL_MODE, CB_SETCURSEL, mode, 0);
    SendDlgItemMessageA(dialog, IDC_LEVEL_TARGET, EM_LIMITTEXT, 5, 0);
    ShowLevelMode(dialog, mode, Settings.LevelTarget);
}

DWORD ChosenLevelMode(HWND dialog)
{
    LRESULT chosen = SendDlgItemMessageA(dialog, IDC_LEVEL_MODE, CB_GETCURSEL, 0, 0);
    return chosen >= 0 && chosen <= LRESULT(LevelSpeech) ? DWORD(chosen) : LevelAsRecorded;
}

// The mode and its target, when the target can be taken.
bool TakeLevel(HWND dialog)
{
    const DWORD mode = ChosenLevelMode(dialog);
    char text[16] = "";
    GetDlgItemTextA(dialog, IDC_LEVEL_TARGET, text, sizeof(text));
    std::optional<DWORD> target = ReadLevelTarget(text);
    if (mode != LevelAsRecorded && !target)
        return false;
    Settings.LevelMode = mode;
    if (target)
        Settings.LevelTarget = *target;
    return true;
}

BOOL OnInitDialog(HWND dialog)
{
    SetDlgItemInt(dialog, IDC_BUFFER_SIZE, Settings.BufferSize, FALSE);
    CheckDlgButton(dialog, IDC_COMPAT_CHECK, Settings.CompatibilityCheck ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_LOW_QUALITY, Settings.LowQuality ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_KEEP_METADATA, Settings.KeepMetadata ? BST_CHECKED : BST_UNCHECKED);
    SetUpTrackbar(dialog, IDC_PRIORITY_CLASS, LastClassPosition, PriorityClassPosition(Settings.PriorityClass));
    SetUpTrackbar(dialog, IDC_THREAD_PRIORITY, LastThreadPosition, ThreadPriorityPosition(Settings.Priority));
    SetUpLevelRow(dialog);
    return TRUE;
}

void OnOk(HWND dialog)
{
    BOOL valid = FALSE;
    UINT bufferSize = GetDlgItemInt(dialog, IDC_BUFFER_SIZE, &valid, FALSE);
    // Above 65535 the number would not fit the setting; refused like 0.
    const bool bufferTaken = valid && bufferSize > 0 && bufferSize <= 0xFFFF;
    if (bufferTaken)
        Settings.BufferSize = WORD(bufferSize);
    const bool levelTaken = TakeLevel(dialog);
    if (!bufferTaken)
        ShowError(dialog, "You have entered an invalid buffer size.");
    else if (!levelTaken)
        ShowError(dialog, "You have entered an invalid target level.");
    else
        EndDialog(dialog, 0);
    // The other values are taken whether or not the buffer size was.
    Settings.CompatibilityCheck = IsDlgButtonChecked(dialog, IDC_COMPAT_CHECK) == BST_CHECKED ? 1 : 0;
    Settings.LowQuality = IsDlgButtonChecked(dialog, IDC_LOW_QUALITY) == BST_CHECKED ? 1 : 0;
    Settings.KeepMetadata = IsDlgButtonChecked(dialog, IDC_KEEP_METADATA) == BST_CHECKED ? 1 : 0;
    Settings.PriorityClass = PriorityClassAt(TrackbarPosition(dialog, IDC_PRIORITY_CLASS));
    Settings.Priority = ThreadPriorityAt(TrackbarPosition(dialog, IDC_THREAD_PRIORITY));
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_LEVEL_MODE:
            if (HIWORD(wParam) != CBN_SELCHANGE)
                return FALSE;
            ShowLevelMode(dialog, ChosenLevelMode(dialog), DefaultLevelTarget(ChosenLevelMode(dialog)));
            return TRUE;
        }
        return FALSE;
    case WM_HSCROLL: {
        HWND sender = reinterpret_cast<HWND>(lParam);
        if (sender == nullptr)
            return FALSE;
        int id = GetDlgCtrlID(sender);
        if (id != IDC_PRIORITY_CLASS && id != IDC_THREAD_PRIORITY)
            return FALSE;
        ShowTrackbarText(dialog, id);
        return TRUE;
    }
    case WM_HELP:
        ShowHelp(dialog, HelpFile, HELP_CONTEXT, SettingsHelpContext);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int PriorityClassPosition(DWORD priorityClass)
{
    for (int position = 0; position < LastClassPosition; ++position)
        if (PriorityClasses[position].Value == priorityClass)
            return position;
    return LastClassPosition;
}

DWORD PriorityClassAt(int position) { return PriorityClasses[ClampPosition(position, LastClassPosition)].Value; }

const char* PriorityClassText(int position)
{
    return PriorityClasses[ClampPosition(position, LastClassPosition)].Text;
}

int ThreadPriorityPosition(int priority)
{
    for (int position = 0; position < LastThreadPosition; ++position)
        if (ThreadPriorities[position].Value == priority)
            return position;
    return LastThreadPosition;
}

int ThreadPriorityAt(int position) { return ThreadPriorities[ClampPosition(position, LastThreadPosition)].Value; }

const char* ThreadPriorityText(int position)
{
    return ThreadPriorities[ClampPosition(position, LastThreadPosition)].Text;
}

INT_PTR RunSettingsDialog(HWND owner)
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDialogProc, 0);
}

