// The settings: their store in the registry, the settings dialog from its
// real template, and the program's start and exit around its message loop
// with the main window as its template builds it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <set>
#include <shlobj.h>
#include "app/settings.h"
#include "app/settings_dialog.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "res/resource.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"
#include "ui/user_prompts.h"

namespace {

const char StoreKey[] = "Software\\Tonvelka";

void Store(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    RegCreateKeyA(HKEY_CURRENT_USER, StoreKey, &key);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}
void StoreText(const char* name, const std::string& text, DWORD type = REG_SZ) { Store(name, type, text.c_str(), DWORD(text.size() + 1)); }
void StoreDword(const char* name, DWORD value) { Store(name, REG_DWORD, &value, 4); }
// The type and the number (or text) stored; type REG_NONE when absent.
std::pair<DWORD, std::string> Stored(const char* name)
{
    HKEY key;
    char data[512] = "";
    DWORD type = REG_NONE, size = sizeof(data) - 1;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, StoreKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
            type = REG_NONE;
        RegCloseKey(key);
    }
    return {type, type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : std::string(data)};
}
std::string CurrentDirectory()
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    return current;
}

std::vector<std::pair<UINT, ULONG_PTR>> helpCalls;
BOOL RecordHelp(HWND, const char* file, UINT command, ULONG_PTR data)
{
    EXPECT_STREQ(file, "TONVELKA.HLP");
    helpCalls.emplace_back(command, data);
    return TRUE;
}

}  // namespace

TEST(SettingsStore, LoadsWhatIsValidAndSavesAllSevenValues)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, StoreKey);
    Settings = {};
    LoadSettings();
    EXPECT_EQ(Settings.DestinationPath, CurrentDirectory());
    EXPECT_EQ(std::vector<DWORD>({Settings.BufferSize, Settings.PriorityClass, DWORD(Settings.Priority), Settings.SelectionTimer,
                                  Settings.CompatibilityCheck, Settings.LowQuality}),
              std::vector<DWORD>({16, NORMAL_PRIORITY_CLASS, 0, 50, 1, 0}));
    lstrcpyA(Settings.DestinationPath, "C:\\out");
    Settings.LowQuality = 7;
    SaveSettings();
    const std::pair<const char*, std::pair<DWORD, std::string>> saved[] = {
        {"DestinationPath", {REG_SZ, "C:\\out"}}, {"BufferSize", {REG_DWORD, "16"}}, {"PriorityClass", {REG_DWORD, "32"}},
        {"Priority", {REG_DWORD, "0"}}, {"SelectionTimer", {REG_DWORD, "50"}}, {"CompatibilityCheck", {REG_DWORD, "1"}},
        {"LowQuality", {REG_DWORD, "1"}}};
    for (const auto& [name, value] : saved)
        EXPECT_EQ(Stored(name), value) << name;

    // Wrong types and sizes are ignored one by one; flags become 0 or 1.
    StoreDword("CompatibilityCheck", 5), StoreDword("BufferSize", 65552), StoreText("SelectionTimer", "200");
    StoreDword("PriorityClass", 16384), StoreDword("LowQuality", 0), StoreText("DestinationPath", "D:\\music", REG_EXPAND_SZ);
    LoadSettings();
    EXPECT_EQ(std::vector<DWORD>({Settings.BufferSize, Settings.PriorityClass, Settings.SelectionTimer, Settings.CompatibilityCheck,
                                  Settings.LowQuality}),
              std::vector<DWORD>({16, 16384, 50, 1, 0}));
    EXPECT_EQ(Settings.DestinationPath, CurrentDirectory());
    // The folder must end within 255 bytes.
    for (auto [stored, loaded] : {std::pair{std::string(254, 'a'), std::string(254, 'a')}, {std::string(255, 'b'), CurrentDirectory()}}) {
        StoreText("DestinationPath", stored);
        LoadSettings();
        EXPECT_EQ(Settings.DestinationPath, loaded);
    }
    Store("DestinationPath", REG_SZ, std::string(255, 'c').data(), 255);  // no terminator
    LoadSettings();
    EXPECT_EQ(Settings.DestinationPath, CurrentDirectory());
    // The window's thread runs one step above the worker.
    for (auto [worker, window] : {std::pair{-15, -2}, {-2, -1}, {-1, 0}, {0, 1}, {1, 2}, {2, 15}, {7, 15}}) {
        StoreDword("Priority", DWORD(worker));
        LoadSettings();
        ApplyPriorities();
        EXPECT_EQ(GetThreadPriority(GetCurrentThread()), window) << worker;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

TEST(SettingsDialog, ShowsTheSettingsTakesThemOnOkAndRefusesABadBufferSize)
{
    MessageRecorder recorder;
    SetHelpFunction(RecordHelp);
    ResetSettingsToDefaults(Settings);
    auto thumb = [](HWND dialog, int id, int position) {
        SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    };
    auto run = [](const std::function<void(HWND)>& drive) { return DriveModalDialog("Settings", [] { return RunSettingsDialog(nullptr); }, drive); };
    EXPECT_EQ(run([&](HWND dialog) {
        EXPECT_EQ(ControlText(dialog, IDC_BUFFER_SIZE) + ControlText(dialog, IDC_PRIORITY_CLASS_TEXT) + ControlText(dialog, IDC_THREAD_PRIORITY_TEXT),
                  "16NormalNormal");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COMPAT_CHECK) * 2 + IsDlgButtonChecked(dialog, IDC_LOW_QUALITY), 2u);
        const char* classes[] = {"Idle", "Normal", "High", "Real-Time"};
        const char* threads[] = {"Idle", "Lowest", "Low", "Normal", "High", "Highest"};
        for (int position = 0; position < 6; ++position) {
            thumb(dialog, IDC_THREAD_PRIORITY, position);
            EXPECT_EQ(ControlText(dialog, IDC_THREAD_PRIORITY_TEXT), threads[position]);
            thumb(dialog, IDC_PRIORITY_CLASS, position % 4);
            EXPECT_EQ(ControlText(dialog, IDC_PRIORITY_CLASS_TEXT), classes[position % 4]);
        }
        SendMessageA(dialog, WM_HELP, 0, 0);
        SetDlgItemTextA(dialog, IDC_BUFFER_SIZE, "65535");
        CheckDlgButton(dialog, IDC_COMPAT_CHECK, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_LOW_QUALITY, BST_CHECKED);
        thumb(dialog, IDC_PRIORITY_CLASS, 2);
        thumb(dialog, IDC_THREAD_PRIORITY, 0);
        Press(dialog, IDOK);
    }), 0);
    EXPECT_EQ(std::vector<DWORD>({Settings.BufferSize, Settings.CompatibilityCheck, Settings.LowQuality, Settings.PriorityClass, DWORD(Settings.Priority)}),
              std::vector<DWORD>({65535, 0, 1, HIGH_PRIORITY_CLASS, DWORD(THREAD_PRIORITY_IDLE)}));
    EXPECT_EQ(helpCalls, (std::vector<std::pair<UINT, ULONG_PTR>>{{HELP_CONTEXT, 3000}}));
    // Values outside the tables open at the top; a bad buffer size keeps the
    // dialog open but the rest is taken.
    Settings.PriorityClass = 16384, Settings.Priority = 99;
    for (const char* typed : {"", "0", "65536"}) {
        recorder.Clear();
        bool stayedOpen = false;
        EXPECT_EQ(run([&](HWND dialog) {
            EXPECT_EQ(ControlText(dialog, IDC_PRIORITY_CLASS_TEXT) + ControlText(dialog, IDC_THREAD_PRIORITY_TEXT), "Real-TimeHighest");
            SetDlgItemTextA(dialog, IDC_BUFFER_SIZE, typed);
            Press(dialog, IDOK);
            stayedOpen = IsWindowVisible(dialog);
            Press(dialog, IDCANCEL);
        }), 1);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"You have entered an invalid buffer size."});
        EXPECT_EQ(recorder.Messages()[0].Style, UINT(MB_OK | MB_ICONHAND));
        EXPECT_EQ(Settings.BufferSize, 65535);
        EXPECT_EQ(Settings.PriorityClass, DWORD(REALTIME_PRIORITY_CLASS));
    }
    SetHelpFunction(nullptr);
}

TEST(StartAndExit, TheProgramStartsIdleFromAnEmptyStoreAndSavesItAtExit)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, StoreKey);
    MessageRecorder recorder;
    helpCalls.clear();
    SetHelpFunction(RecordHelp);
    HWND seen = nullptr;
    INT_PTR exitCode = DriveModalDialog("Tonvelka 1.1", [] { return INT_PTR(RunApplication(GetModuleHandleA(nullptr))); }, [&](HWND window) {
        seen = window;
        EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO), "No files selected.");
        EXPECT_EQ(ControlText(window, IDC_DEST_INFO), "Current destination directory is " + CurrentDirectory());
        EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
        EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_ABOVE_NORMAL);
        // The idle window is the template's upper part; only these start disabled.
        RECT client, units = {0, 0, 396, 251};
        GetClientRect(window, &client);
        MapDialogRect(window, &units);
        EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(units.right, units.bottom));
        std::set<int> disabled, ids;
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowEnabled(child))
                disabled.insert(GetDlgCtrlID(child));
            EXPECT_TRUE(short(GetDlgCtrlID(child)) == -1 || ids.insert(GetDlgCtrlID(child)).second) << GetDlgCtrlID(child);
        }
        EXPECT_EQ(disabled, (std::set<int>{IDC_SELECT_FORMAT, IDC_REMOVE_FILE, IDC_CONVERT}));
        std::vector<int> tabs;
        for (HWND at = GetNextDlgTabItem(window, GetDlgItem(window, IDC_FILE_LIST), FALSE); tabs.size() < 6; at = GetNextDlgTabItem(window, at, FALSE))
            tabs.push_back(GetDlgCtrlID(at));
        EXPECT_EQ(tabs, (std::vector<int>{IDC_ADD_FILES, IDC_DESTINATION, IDC_SETTINGS, IDC_PLAY, IDC_STOP_PLAY, IDC_FILE_LIST}));
        SendMessageA(window, WM_HELP, 0, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_EQ(helpCalls, (std::vector<std::pair<UINT, ULONG_PTR>>{{HELP_CONTEXT, 2000}, {HELP_QUIT, 0}}));
    EXPECT_EQ(Stored("DestinationPath"), std::make_pair(DWORD(REG_SZ), CurrentDirectory()));
    EXPECT_EQ(Stored("SelectionTimer"), std::make_pair(DWORD(REG_DWORD), std::string("50")));
    SetHelpFunction(nullptr);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);

    // Columns that cannot be made end the program with exit code 1.
    CreateColumnsFunction = [](HWND) { return false; };
    EXPECT_EQ(RunApplication(GetModuleHandleA(nullptr)), 1);
    CreateColumnsFunction = CreateFileListColumns;
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to create columns for the file list."});
    EXPECT_EQ(recorder.Messages()[0].Title, "Fatal Error");
    if (MainDialog != nullptr && IsWindow(MainDialog))
        DestroyWindow(MainDialog);
    PumpFor(10);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

namespace {
std::string chosenFolder;
PIDLIST_ABSOLUTE ChooseFolder(BROWSEINFOA*) { return chosenFolder.empty() ? nullptr : ILCreateFromPathA(chosenFolder.c_str()); }
}  // namespace

TEST(DestinationFolder, ChangesOnlyWhenAFolderThatFitsIsChosen)
{
    ResetSettingsToDefaults(Settings);
    MessageRecorder recorder;
    ScratchFolder folder;
    HWND window = CreateBatchWindow();
    SetBrowseForFolderFunction(ChooseFolder);
    std::string before = Settings.DestinationPath, deep = folder.Path();
    for (size_t length = 40; deep.size() < 256; length = std::min<size_t>(40, 257 - deep.size()))
        CreateDirectoryA(deep.append(1, '\\').append(length, 'x').c_str(), nullptr);
    for (auto [chosen, after] : {std::pair{std::string(), before}, {folder.Path(), folder.Path()}, {deep, folder.Path()}}) {
        chosenFolder = chosen;
        Press(window, IDC_DESTINATION);
        EXPECT_EQ(Settings.DestinationPath, after);
        EXPECT_EQ(ControlText(window, IDC_DEST_INFO), "Current destination directory is " + after);
    }
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to use the selected folder: its path is too long."});
    SetBrowseForFolderFunction(nullptr);
    DestroyWindow(window);
}
