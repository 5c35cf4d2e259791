// The settings: their store in the registry, the settings dialog from its
// real template, and the destination folder the main window asks for.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <thread>
#include "settings/settings.h"
#include "ui/settings_dialog.h"
#include "settings/settings_store.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "ui/main_window.h"
#include "win/user_prompts.h"

namespace {

void Store(const char* name, DWORD type, const void* data, DWORD size)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Tonvelka", name, type, data, size);
}
void StoreText(const char* name, const std::string& s, DWORD type = REG_SZ) { Store(name, type, s.c_str(), DWORD(s.size() + 1)); }
void StoreDword(const char* name, DWORD value) { Store(name, REG_DWORD, &value, 4); }
std::string CurrentDirectory()
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    return current;
}
std::vector<DWORD> Numbers()
{
    return {Settings.BufferSize,     Settings.PriorityClass,      DWORD(Settings.Priority),
            Settings.SelectionTimer, Settings.CompatibilityCheck, Settings.LowQuality, Settings.KeepMetadata};
}

}  // namespace

TEST(SettingsStore, LoadsWhatIsValidAndSavesAllEightValues)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tonvelka");
    Settings = {};
    LoadSettings();
    EXPECT_EQ(Settings.DestinationPath, CurrentDirectory());
    EXPECT_EQ(Numbers(), std::vector<DWORD>({16, NORMAL_PRIORITY_CLASS, 0, 50, 1, 0, 1}));
    lstrcpyA(Settings.DestinationPath, "C:\\out");
    Settings.LowQuality = 7, Settings.KeepMetadata = 0;
    SaveSettings();
    EXPECT_EQ(StoredSettings(), "1:C:\\out 4:16 4:32 4:0 4:50 4:1 4:1 4:0 4:260 4:0 ");
    // Wrong types are ignored one by one; flags become 0 or 1.
    StoreDword("CompatibilityCheck", 5), StoreDword("BufferSize", 65552), StoreText("SelectionTimer", "200");
    StoreDword("PriorityClass", 16384), StoreDword("LowQuality", 0), StoreText("DestinationPath", "D:\\music", REG_EXPAND_SZ);
    StoreDword("KeepMetadata", 9);
    LoadSettings();
    EXPECT_EQ(Numbers(), std::vector<DWORD>({16, 16384, 0, 50, 1, 0, 1}));
    // A level mode the program does not know converts as recorded; a target
    // beyond 60.0 dB is the mode's default.
    for (auto [mode, target, loaded] : {std::tuple{1, 601, "1 10"}, {3, 235, "0 235"}, {2, 600, "2 600"}}) {
        StoreDword("LevelMode", DWORD(mode)), StoreDword("LevelTarget", DWORD(target));
        LoadSettings();
        EXPECT_EQ(std::to_string(Settings.LevelMode) + " " + std::to_string(Settings.LevelTarget), loaded);
    }
    EXPECT_EQ(Settings.DestinationPath, CurrentDirectory());
    // The folder must end within 255 bytes.
    StoreText("DestinationPath", std::string(254, 'a'));
    LoadSettings();
    EXPECT_EQ(Settings.DestinationPath, std::string(254, 'a'));
    Store("DestinationPath", REG_SZ, std::string(255, 'c').data(), 255);  // no terminator
    LoadSettings();
    EXPECT_EQ(Settings.DestinationPath, CurrentDirectory());
    // The window's thread runs one step above the worker.
    for (auto [worker, window] : {std::pair{-15, -2}, {2, 15}}) {
        StoreDword("Priority", DWORD(worker));
        LoadSettings();
        ApplyPriorities();
        EXPECT_EQ(GetThreadPriority(GetCurrentThread()), window) << worker;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tonvelka");
}

TEST(SettingsDialog, ShowsTheSettingsTakesThemOnOkAndRefusesABadBufferSize)
{
    MessageRecorder recorder;
    ResetSettingsToDefaults(Settings);
    // The user plays from another thread; the dialog's own loop handles what it sends.
    auto run = [](const std::function<void(HWND)>& drive) {
        std::thread user([&] {
            HWND dialog;
            while ((dialog = FindWindowA(nullptr, "Settings")) == nullptr || !IsWindowVisible(dialog))
                Sleep(10);
            drive(dialog);
        });
        INT_PTR result = RunSettingsDialog(nullptr);
        user.join();
        return result;
    };
    auto texts = [](HWND dialog) {
        return ControlText(dialog, IDC_BUFFER_SIZE) + "|" + ControlText(dialog, IDC_PRIORITY_CLASS_TEXT) + "|" +
               ControlText(dialog, IDC_THREAD_PRIORITY_TEXT);
    };
    EXPECT_EQ(run([&](HWND dialog) {
        EXPECT_EQ(texts(dialog), "16|Normal|Normal");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COMPAT_CHECK) * 2 + IsDlgButtonChecked(dialog, IDC_LOW_QUALITY), 2u);
        EXPECT_EQ(ControlText(dialog, IDC_KEEP_METADATA), "Keep titles, markers and loop points");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_KEEP_METADATA), UINT(BST_CHECKED));
        // Its row stands above the buttons, which moved down by one row.
        auto top = [&](int id) {
            RECT rect;
            GetWindowRect(GetDlgItem(dialog, id), &rect);
            return MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2), rect.top;
        };
        RECT rows = {0, 89, 0, 106};
        MapDialogRect(dialog, &rows);
        EXPECT_EQ(top(IDC_KEEP_METADATA), rows.top);
        EXPECT_EQ(top(IDOK), rows.bottom);
        SendDlgItemMessageA(dialog, IDC_KEEP_METADATA, BM_CLICK, 0, 0);
        for (auto [id, position] : {std::pair{IDC_THREAD_PRIORITY, 0}, {IDC_PRIORITY_CLASS, 2}}) {
            SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
            SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), LPARAM(GetDlgItem(dialog, id)));
        }
        SetDlgItemTextA(dialog, IDC_BUFFER_SIZE, "65535");
        EXPECT_EQ(texts(dialog), "65535|High|Idle");
        CheckDlgButton(dialog, IDC_COMPAT_CHECK, BST_UNCHECKED), CheckDlgButton(dialog, IDC_LOW_QUALITY, BST_CHECKED);
        // The level row: each mode shows its own default target, as recorded none to edit.
        HWND mode = GetDlgItem(dialog, IDC_LEVEL_MODE);
        std::string shown;
        for (int step = 0; step < 3; ++step, SendMessageA(mode, WM_KEYDOWN, VK_DOWN, 0))
            shown += ControlText(dialog, IDC_LEVEL_MODE) + " " + ControlText(dialog, IDC_LEVEL_TARGET) +
                     (IsWindowEnabled(GetDlgItem(dialog, IDC_LEVEL_TARGET)) ? "+|" : "-|");
        EXPECT_EQ(shown, "As recorded 26.0-|Peak 1.0+|Speech level (ITU-T P.56) 26.0+|");
        SetDlgItemTextA(dialog, IDC_LEVEL_TARGET, "23,5");
        Press(dialog, IDOK);
    }), 0);
    EXPECT_EQ(std::to_string(Settings.LevelMode) + " " + std::to_string(Settings.LevelTarget), "2 235");
    EXPECT_EQ(Numbers(), std::vector<DWORD>({65535, HIGH_PRIORITY_CLASS, DWORD(THREAD_PRIORITY_IDLE), 50, 0, 1, 0}));
    // Values outside the tables open at the top; a bad buffer size keeps the
    // dialog open, but the rest is taken.
    Settings.PriorityClass = 16384, Settings.Priority = 99;
    for (const char* typed : {"", "65536"}) {
        recorder.Clear();
        EXPECT_EQ(run([&](HWND dialog) {
            EXPECT_EQ(texts(dialog), "65535|Real-Time|Highest");
            SetDlgItemTextA(dialog, IDC_BUFFER_SIZE, typed);
            Press(dialog, IDOK);
            EXPECT_TRUE(IsWindowVisible(dialog));
            Press(dialog, IDCANCEL);
        }), 1);
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"You have entered an invalid buffer size."});
        EXPECT_EQ(recorder.Messages()[0].Style, UINT(MB_OK | MB_ICONHAND));
        EXPECT_EQ(Numbers(), std::vector<DWORD>({65535, REALTIME_PRIORITY_CLASS, DWORD(THREAD_PRIORITY_HIGHEST), 50, 0, 1, 0}));
    }
    // A target outside 0.0 to 60.0 dB, or of more than one decimal, is refused as a buffer size is.
    for (const char* typed : {"60.1", "", "1.25", "-3", "abc", "60.0"}) {
        recorder.Clear();
        run([&](HWND dialog) {
            EXPECT_EQ(ControlText(dialog, IDC_LEVEL_TARGET), "23.5");
            SetDlgItemTextA(dialog, IDC_LEVEL_TARGET, typed);
            Press(dialog, IDOK);
            if (IsWindowVisible(dialog))
                Press(dialog, IDCANCEL);
        });
        bool taken = std::string(typed) == "60.0";
        EXPECT_EQ(recorder.Texts(), taken ? std::vector<std::string>{} : std::vector<std::string>{"You have entered an invalid target level."}) << typed;
        EXPECT_EQ(Settings.LevelTarget, taken ? 600u : 235u) << typed;
        Settings.LevelTarget = 235;
    }
}

static std::string chosenFolder;
static PIDLIST_ABSOLUTE ChooseFolder(BROWSEINFOA*)
{
    return chosenFolder.empty() ? nullptr : ILCreateFromPathA(chosenFolder.c_str());
}

TEST(DestinationFolder, ChangesOnlyWhenAFolderThatFitsIsChosen)
{
    ResetSettingsToDefaults(Settings);
    MessageRecorder recorder;
    ScratchFolder folder;
    HWND window = CreateBatchWindow();
    SetBrowseForFolderFunction(ChooseFolder);
    AtScopeEnd restore([] { SetBrowseForFolderFunction(nullptr); });
    // Fewer than 256 characters, more than 255 bytes: the stored folder counts bytes.
    std::string before = Settings.DestinationPath, fits = folder.Path() + "\\Ausgabe ✓ Ступени", deep = fits;
    while (deep.size() < 300)
        CreateDirectoryA(deep.c_str(), nullptr), deep.append("\\Ступени 日本語");
    CreateDirectoryA(deep.c_str(), nullptr);
    for (auto [chosen, after] : {std::pair{std::string(), before}, {fits, fits}, {deep, fits}}) {
        chosenFolder = chosen;
        Press(window, IDC_DESTINATION);
        EXPECT_EQ(Settings.DestinationPath, after);
        EXPECT_EQ(ControlText(window, IDC_DEST_INFO), "Current destination directory is " + after);
    }
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to use the selected folder: its path is too long."});
    DestroyWindow(window);
}
