// The settings dialog from its real template, driven from inside its modal
// loop as a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "app/settings.h"
#include "app/settings_dialog.h"
#include "res/resource.h"
#include "support/modal_driver.h"
#include "ui/user_prompts.h"

namespace {

std::string Text(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

int Position(HWND dialog, int id) { return int(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0)); }

void MoveThumb(HWND dialog, int id, int position)
{
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

struct HelpCall {
    std::string File;
    UINT Command;
    ULONG_PTR Data;
};
std::vector<HelpCall> helpCalls;
BOOL RecordHelp(HWND, const char* file, UINT command, ULONG_PTR data)
{
    helpCalls.push_back({file, command, data});
    return TRUE;
}

class SettingsDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults(Settings);
        helpCalls.clear();
        SetHelpFunction(RecordHelp);
    }
    void TearDown() override { SetHelpFunction(nullptr); }

    static INT_PTR Run(const std::function<void(HWND)>& drive)
    {
        return DriveModalDialog("Settings", [] { return RunSettingsDialog(nullptr); }, drive);
    }
    MessageRecorder messages_;
};

}  // namespace

TEST_F(SettingsDialog, OpensWithTheSettingsAndOkTakesThem)
{
    INT_PTR result = Run([](HWND dialog) {
        EXPECT_EQ(Text(dialog, IDC_BUFFER_SIZE), "16");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COMPAT_CHECK), UINT(BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOW_QUALITY), UINT(BST_UNCHECKED));
        EXPECT_EQ(Position(dialog, IDC_PRIORITY_CLASS), 1);
        EXPECT_EQ(Text(dialog, IDC_PRIORITY_CLASS_TEXT), "Normal");
        EXPECT_EQ(Position(dialog, IDC_THREAD_PRIORITY), 3);
        EXPECT_EQ(Text(dialog, IDC_THREAD_PRIORITY_TEXT), "Normal");

        SetDlgItemTextA(dialog, IDC_BUFFER_SIZE, "32");
        CheckDlgButton(dialog, IDC_COMPAT_CHECK, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_LOW_QUALITY, BST_CHECKED);
        MoveThumb(dialog, IDC_PRIORITY_CLASS, 2);
        MoveThumb(dialog, IDC_THREAD_PRIORITY, 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(messages_.Messages().empty());
    EXPECT_EQ(Settings.BufferSize, 32);
    EXPECT_EQ(Settings.CompatibilityCheck, 0u);
    EXPECT_EQ(Settings.LowQuality, 1u);
    EXPECT_EQ(Settings.PriorityClass, DWORD(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(Settings.Priority, THREAD_PRIORITY_IDLE);
}

TEST_F(SettingsDialog, ValuesOutsideTheTablesOpenAtTheTopPosition)
{
    Settings.PriorityClass = 16384;
    Settings.Priority = 99;
    INT_PTR result = Run([](HWND dialog) {
        EXPECT_EQ(Position(dialog, IDC_PRIORITY_CLASS), 3);
        EXPECT_EQ(Text(dialog, IDC_PRIORITY_CLASS_TEXT), "Real-Time");
        EXPECT_EQ(Position(dialog, IDC_THREAD_PRIORITY), 5);
        EXPECT_EQ(Text(dialog, IDC_THREAD_PRIORITY_TEXT), "Highest");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Settings.PriorityClass, DWORD(REALTIME_PRIORITY_CLASS));
    EXPECT_EQ(Settings.Priority, THREAD_PRIORITY_HIGHEST);
}

TEST_F(SettingsDialog, TheTextsFollowTheThumbs)
{
    Run([](HWND dialog) {
        const char* threadTexts[] = {"Idle", "Lowest", "Low", "Normal", "High", "Highest"};
        for (int position = 0; position < 6; ++position) {
            MoveThumb(dialog, IDC_THREAD_PRIORITY, position);
            EXPECT_EQ(Text(dialog, IDC_THREAD_PRIORITY_TEXT), threadTexts[position]);
        }
        const char* classTexts[] = {"Idle", "Normal", "High", "Real-Time"};
        for (int position = 0; position < 4; ++position) {
            MoveThumb(dialog, IDC_PRIORITY_CLASS, position);
            EXPECT_EQ(Text(dialog, IDC_PRIORITY_CLASS_TEXT), classTexts[position]);
        }
        Press(dialog, IDCANCEL);
    });
    // Moving the thumbs alone changes no setting.
    EXPECT_EQ(Settings.Priority, 0);
    EXPECT_EQ(Settings.PriorityClass, DWORD(NORMAL_PRIORITY_CLASS));
}

TEST_F(SettingsDialog, AnInvalidBufferSizeKeepsTheDialogOpenButTakesTheRest)
{
    for (const char* typed : {"", "0", "70000", "65536"}) {
        SCOPED_TRACE(typed);
        ResetSettingsToDefaults(Settings);
        messages_.Clear();
        bool stayedOpen = false;
        INT_PTR result = Run([&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_BUFFER_SIZE, typed);
            CheckDlgButton(dialog, IDC_LOW_QUALITY, BST_CHECKED);
            MoveThumb(dialog, IDC_THREAD_PRIORITY, 4);
            Press(dialog, IDOK);
            stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
            Press(dialog, IDCANCEL);
        });
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(result, 1);
        auto shown = messages_.Messages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].Text, "You have entered an invalid buffer size.");
        EXPECT_EQ(shown[0].Title, "Error");
        EXPECT_EQ(shown[0].Style & MB_ICONMASK, UINT(MB_ICONHAND));
        EXPECT_EQ(Settings.BufferSize, 16);
        EXPECT_EQ(Settings.LowQuality, 1u);
        EXPECT_EQ(Settings.Priority, THREAD_PRIORITY_ABOVE_NORMAL);
    }
}

TEST_F(SettingsDialog, F1OpensHelpAtItsContextAndLeavesTheDialogOpen)
{
    Run([](HWND dialog) {
        HELPINFO info = {};
        info.cbSize = sizeof(info);
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = IDC_BUFFER_SIZE;
        info.hItemHandle = GetDlgItem(dialog, IDC_BUFFER_SIZE);
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_TRUE(IsWindowVisible(dialog));
        Press(dialog, IDCANCEL);
    });
    ASSERT_EQ(helpCalls.size(), 1u);
    EXPECT_EQ(helpCalls[0].File, "TONVELKA.HLP");
    EXPECT_EQ(helpCalls[0].Command, UINT(HELP_CONTEXT));
    EXPECT_EQ(helpCalls[0].Data, 3000u);
}
