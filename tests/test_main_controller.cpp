// The main window as a whole: start and exit, the delayed selection refresh,
// the destination folder, help, hiding to the tray and the end of a logon.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include "app/settings.h"
#include "app/startup.h"
#include "engine/conversion_state.h"
#include "res/resource.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/modal_driver.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"
#include "ui/main_window.h"
#include "ui/resources.h"
#include "ui/tray_icon.h"
#include "ui/user_prompts.h"

namespace {

const char StorePath[] = "Software\\Tonvelka";

DWORD StoredType(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, StorePath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return REG_NONE;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        type = REG_NONE;
    RegCloseKey(key);
    return type;
}

std::string CurrentDirectory()
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    return current;
}

bool FailColumns(HWND) { return false; }

}  // namespace

TEST(StartAndExit, AnEmptyStoreStartsIdleAndExitSavesAllSevenValues)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, StorePath);
    MessageRecorder messages;
    HWND seen = nullptr;
    INT_PTR exitCode = DriveModalDialog("Tonvelka 1.1", [] { return INT_PTR(RunApplication(GetModuleHandleA(nullptr))); },
                                        [&](HWND window) {
                                            seen = window;
                                            EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO), "No files selected.");
                                            EXPECT_EQ(ControlText(window, IDC_DEST_INFO),
                                                      "Current destination directory is " + CurrentDirectory());
                                            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_CONVERT)));
                                            EXPECT_STREQ(TrayIcon.szTip, "Tonvelka is idle");
                                            EXPECT_EQ(TrayIcon.hWnd, window);
                                            EXPECT_EQ(SendDlgItemMessageA(window, IDC_PLAY, BM_GETIMAGE, IMAGE_BITMAP, 0),
                                                      reinterpret_cast<LRESULT>(Resources.PlayFace));
                                            EXPECT_EQ(SendDlgItemMessageA(window, IDC_SRC_FORMATTAG_LABEL, WM_GETFONT, 0, 0),
                                                      reinterpret_cast<LRESULT>(Resources.BoldFont));
                                            EXPECT_NE(SendDlgItemMessageA(window, IDC_SRC_FORMATTAG, WM_GETFONT, 0, 0),
                                                      reinterpret_cast<LRESULT>(Resources.BoldFont));
                                            EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_ABOVE_NORMAL);
                                            PostMessageA(window, WM_CLOSE, 0, 0);
                                        });
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(StoredType("DestinationPath"), DWORD(REG_SZ));
    for (const char* name : {"BufferSize", "PriorityClass", "Priority", "SelectionTimer", "CompatibilityCheck", "LowQuality"})
        EXPECT_EQ(StoredType(name), DWORD(REG_DWORD)) << name;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

TEST(StartAndExit, ColumnsThatCannotBeMadeEndTheProgramWithExitCode1)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, StorePath);
    MessageRecorder messages;
    CreateColumnsFunction = FailColumns;
    int exitCode = RunApplication(GetModuleHandleA(nullptr));
    CreateColumnsFunction = CreateFileListColumns;
    EXPECT_EQ(exitCode, 1);
    auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Unable to create columns for the file list.");
    EXPECT_EQ(shown[0].Title, "Fatal Error");
    EXPECT_EQ(shown[0].Style & MB_ICONMASK, UINT(MB_ICONHAND));
    EXPECT_EQ(StoredType("SelectionTimer"), DWORD(REG_DWORD));
    if (MainDialog != nullptr && IsWindow(MainDialog))
        DestroyWindow(MainDialog);
    PumpFor(10);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

namespace {

class Controller : public testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        window_ = CreateBatchWindow();
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        SetBrowseForFolderFunction(nullptr);
        SetHelpFunction(nullptr);
        if (IsWindow(window_)) {
            recorder_.SetAnswer(IDYES);
            SendMessageA(window_, WM_CLOSE, 0, 0);
        }
        PumpFor(10);
    }

    void Select(int row, bool selected)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = selected ? LVIS_SELECTED : 0;
        SendDlgItemMessageA(window_, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    }

    HWND window_ = nullptr;
    ScratchFolder folder_;
    MessageRecorder recorder_{IDNO};
};

std::string chosenFolder;
PIDLIST_ABSOLUTE ChooseFolder(BROWSEINFOA* browse)
{
    EXPECT_STREQ(browse->lpszTitle, "Destination Folder");
    EXPECT_EQ(browse->ulFlags, UINT(BIF_RETURNONLYFSDIRS));
    if (chosenFolder.empty())
        return nullptr;
    return ILCreateFromPathA(chosenFolder.c_str());
}

std::vector<ULONG_PTR> helpContexts;
BOOL RecordHelp(HWND, const char* file, UINT command, ULONG_PTR data)
{
    if (command == HELP_CONTEXT && std::string(file) == "TONVELKA.HLP")
        helpContexts.push_back(data);
    return TRUE;
}

}  // namespace

TEST_F(Controller, ABurstOfSelectionChangesGivesOneRefreshAfterTheLast)
{
    Settings.SelectionTimer = 300;
    for (int i = 0; i < 50; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "f%d.wav", 100 + i);
        std::string path = folder_.File(name);
        WriteWholeFile(path, PcmWave(1, 8000, SineSamples(8000, 1, 100, 440)));
        AddBatchRow(window_, path);
    }
    PumpFor(400);
    unsigned before = SelectionRefreshCount;
    for (int row = 0; row < 50; ++row)
        Select(row, true);
    DWORD lastChange = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return SelectionRefreshCount != before; }, 5000));
    DWORD waited = GetTickCount() - lastChange;
    EXPECT_GE(waited + 20, 300u);
    PumpFor(400);
    EXPECT_EQ(SelectionRefreshCount, before + 1);
    EXPECT_EQ(ControlText(window_, IDC_SELECTION_INFO), "12.200 bytes in 50 files selected.");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, IDC_REMOVE_FILE)));

    // Moving the focus alone starts no timer.
    unsigned after = SelectionRefreshCount;
    LVITEMA focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendDlgItemMessageA(window_, IDC_FILE_LIST, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&focus));
    PumpFor(500);
    EXPECT_EQ(SelectionRefreshCount, after);
}

TEST_F(Controller, EnterInTheMainWindowDoesNothing)
{
    std::string before = ControlText(window_, IDC_SELECTION_INFO);
    MSG enter = {window_, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    IsDialogMessageA(window_, &enter);
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PumpFor(50);
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_FALSE(IsConversionActive());
    EXPECT_TRUE(recorder_.Messages().empty());
    EXPECT_EQ(ControlText(window_, IDC_SELECTION_INFO), before);
}

TEST_F(Controller, TheDestinationFolderChangesOnlyWhenOneIsChosen)
{
    SetBrowseForFolderFunction(ChooseFolder);
    std::string before = Settings.DestinationPath;
    chosenFolder.clear();
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_DESTINATION, BN_CLICKED), 0);
    EXPECT_EQ(std::string(Settings.DestinationPath), before);
    EXPECT_EQ(ControlText(window_, IDC_DEST_INFO), "Current destination directory is " + before);

    chosenFolder = folder_.Path();
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_DESTINATION, BN_CLICKED), 0);
    EXPECT_EQ(std::string(Settings.DestinationPath), folder_.Path());
    EXPECT_EQ(ControlText(window_, IDC_DEST_INFO), "Current destination directory is " + folder_.Path());

    // A folder longer than the setting can hold is refused, with a word why.
    std::string deep = folder_.Path();
    while (deep.size() < 256) {
        deep += '\\';
        deep.append(std::min<size_t>(40, 258 - deep.size()), 'x');
    }
    std::string made;
    for (size_t at = folder_.Path().size() + 1; at <= deep.size(); ++at)
        if (at == deep.size() || deep[at] == '\\')
            CreateDirectoryA(deep.substr(0, at).c_str(), nullptr);
    ASSERT_TRUE(GetFileAttributesA(deep.c_str()) != INVALID_FILE_ATTRIBUTES) << deep;
    chosenFolder = deep;
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_DESTINATION, BN_CLICKED), 0);
    EXPECT_EQ(std::string(Settings.DestinationPath), folder_.Path());
    auto shown = recorder_.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Unable to use the selected folder: its path is too long.");
    EXPECT_EQ(shown[0].Title, "Error");
    // The line holds a destination of any length whole.
    std::string longest(255, 'p');
    lstrcpynA(Settings.DestinationPath, longest.c_str(), sizeof(Settings.DestinationPath));
    ShowDestinationLine(window_);
    EXPECT_EQ(ControlText(window_, IDC_DEST_INFO), "Current destination directory is " + longest);
}

TEST_F(Controller, F1AsksForTheMainWindowsHelpContext)
{
    helpContexts.clear();
    SetHelpFunction(RecordHelp);
    HELPINFO info = {};
    info.cbSize = sizeof(info);
    SendMessageA(window_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(helpContexts, std::vector<ULONG_PTR>{2000});
}

TEST_F(Controller, TheMinimizeBoxHidesToTheTrayAndALeftClickThereRestores)
{
    SendMessageA(window_, WM_NCLBUTTONDOWN, HTMINBUTTON, 0);
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_FALSE(IsIconic(window_));
    SendMessageA(window_, TrayIcon.uCallbackMessage, 0, WM_RBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window_));
    SendMessageA(window_, TrayIcon.uCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(Controller, TheEndOfALogonAsksDuringABatchAndNoKeepsIt)
{
    std::string source = folder_.File("long.wav");
    WriteWholeFile(source, PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 2000, 440)));
    lstrcpynA(Settings.DestinationPath, folder_.Path().c_str(), sizeof(Settings.DestinationPath));
    std::string outputFolder = folder_.File("out");
    CreateDirectoryA(outputFolder.c_str(), nullptr);
    lstrcpynA(Settings.DestinationPath, outputFolder.c_str(), sizeof(Settings.DestinationPath));
    AddBatchRow(window_, source, SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_GSM610));
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
    ASSERT_TRUE(IsConversionActive());

    ShowWindow(window_, SW_HIDE);
    LRESULT agreed = SendMessageA(window_, WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(agreed, FALSE);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(IsConversionActive());
    auto shown = recorder_.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "The conversion process is still running. Do you want to abort the conversion ?");

    recorder_.SetAnswer(IDYES);
    agreed = SendMessageA(window_, WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(agreed, TRUE);
    EXPECT_FALSE(IsConversionActive());
    EXPECT_TRUE(HasPlaceholders(outputFolder + "\\long.wav"));
    // The session ends: the window goes and the settings are stored.
    RegDeleteTreeA(HKEY_CURRENT_USER, StorePath);
    SendMessageA(window_, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(StoredType("BufferSize"), DWORD(REG_DWORD));
}
