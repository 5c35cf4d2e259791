// Driving modal dialogs from inside their message loop.
#include "support/dialog_driver.h"

namespace {

std::string expectedTitle;
std::function<void(HWND)> pendingSteps;
UINT_PTR timer = 0;
bool stepsRan = false;
int unmatchedTicks = 0;

// Ticks without the expected dialog before another dialog of this thread is
// taken for a wrong one and cancelled.
constexpr int PatienceTicks = 300;

struct Search {
    const std::string* title;
    HWND found;
    HWND other;
};

BOOL CALLBACK Inspect(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    char className[16] = "";
    GetClassNameA(window, className, sizeof(className));
    if (std::string(className) != "#32770" || !IsWindowEnabled(window))
        return TRUE;
    if (WindowText(window) == *search->title) {
        search->found = window;
        return FALSE;
    }
    search->other = window;
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    Search search = { &expectedTitle, nullptr, nullptr };
    EnumThreadWindows(GetCurrentThreadId(), Inspect, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && pendingSteps) {
        KillTimer(nullptr, timer);
        timer = 0;
        auto steps = std::move(pendingSteps);
        pendingSteps = nullptr;
        stepsRan = true;
        steps(search.found);
        return;
    }
    if (search.other != nullptr && ++unmatchedTicks > PatienceTicks)
        SendMessageA(search.other, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace

void DriveDialogWhenShown(const std::string& title, std::function<void(HWND dialog)> steps)
{
    FinishDialogDriving();
    expectedTitle = title;
    pendingSteps = std::move(steps);
    stepsRan = false;
    unmatchedTicks = 0;
    timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, Tick);
}

bool FinishDialogDriving()
{
    if (timer != 0)
        KillTimer(nullptr, timer);
    timer = 0;
    pendingSteps = nullptr;
    return stepsRan;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::vector<std::string> ComboEntries(HWND dialog, int id)
{
    std::vector<std::string> entries;
    HWND combo = GetDlgItem(dialog, id);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text(size_t(SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(i), 0)) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        entries.push_back(text.c_str());
    }
    return entries;
}

std::vector<std::string> ListEntries(HWND dialog, int id)
{
    std::vector<std::string> entries;
    HWND list = GetDlgItem(dialog, id);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text(size_t(SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        entries.push_back(text.c_str());
    }
    return entries;
}

bool ChooseComboEntry(HWND dialog, int id, const std::string& text)
{
    HWND combo = GetDlgItem(dialog, id);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR)
        return false;
    SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
}

bool ChooseListEntry(HWND dialog, int id, int index)
{
    HWND list = GetDlgItem(dialog, id);
    if (SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0) == LB_ERR)
        return false;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return true;
}

bool PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr || !IsWindowEnabled(button))
        return false;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}
