// The main window at the display scales users choose. A process reads its
// DPI (the prefix's LogPixels) when it starts, so each scale is measured in a
// process of its own: this program started again with LogPixels set.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "res/resource.h"
#include "support/batch_window.h"
#include "win/dpi.h"
#include "ui/window_size.h"

namespace {

// The height of a control's font and the width of the control's text in it.
SIZE TextSize(HWND control, HFONT font)
{
    TEXTMETRICA metrics = {};
    SIZE extent = {};
    char text[64] = "";
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextMetricsA(dc, &metrics);
    GetTextExtentPoint32A(dc, text, GetWindowTextA(control, text, sizeof(text)), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {extent.cx, metrics.tmHeight};
}
HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)); }
bool Inside(const RECT& in, const RECT& out)
{
    return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}

// Every control that begins inside the client area ends there, and no two
// overlap unless one frames the other (the panels, the statistics frame).
void ExpectWholeControls(HWND window)
{
    RECT client, rect, common;
    GetClientRect(window, &client);
    std::vector<std::pair<int, RECT>> shown;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        if (rect.top < client.bottom)
            shown.push_back({GetDlgCtrlID(child), rect});
        EXPECT_TRUE(rect.top >= client.bottom || Inside(rect, client)) << GetDlgCtrlID(child) << " is cut by the edge";
    }
    for (auto one = shown.begin(); one != shown.end(); ++one)
        for (auto other = one + 1; other != shown.end(); ++other)
            EXPECT_FALSE(IntersectRect(&common, &one->second, &other->second) && !Inside(one->second, other->second) &&
                         !Inside(other->second, one->second)) << one->first << " overlaps " << other->first;
}

// The checks at one scale, run by the test below in a process started at the
// DPI it names; registered in that process only, so no other run counts it.
void CheckMainWindowAtThisScale(int dpi)
{
    HWND window = CreateBatchWindow(), list = GetDlgItem(window, IDC_FILE_LIST);
    ASSERT_EQ(int(WindowDpi(window)), dpi) << "LogPixels did not take effect";
    const LONG dialogHeight = TextSize(window, FontOf(window)).cy;
    for (int id : {1003, 1002, 1006, 1008, 1010, 1012, 1014, 1019, 1021, 1023, 1025, 1027, 1029, 1031, 1032, 1048, 1046,
                   1050, 1058, 1041, 1043}) {
        RECT room;
        LOGFONTA font = {};
        SIZE text = TextSize(GetDlgItem(window, id), FontOf(GetDlgItem(window, id)));
        GetClientRect(GetDlgItem(window, id), &room);
        GetObjectA(FontOf(GetDlgItem(window, id)), sizeof(font), &font);
        EXPECT_EQ(font.lfWeight, FW_BOLD) << id;
        EXPECT_GE(text.cy, dialogHeight) << id << ": the bold face is smaller than the dialog font";
        EXPECT_LE(text.cx, room.right) << id << " cuts its text";
    }
    const int widths[] = {300, 90, 179};
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0), MulDiv(widths[column], dpi, 96)) << column;
    for (int id : {IDC_PLAY, IDC_STOP_PLAY}) {
        BITMAP face = {};
        GetObjectA(reinterpret_cast<HBITMAP>(SendDlgItemMessageA(window, id, BM_GETIMAGE, IMAGE_BITMAP, 0)), sizeof(face), &face);
        EXPECT_EQ(face.bmWidth * 1000 + face.bmHeight, MulDiv(22, dpi, 96) * 1000 + MulDiv(18, dpi, 96)) << id;
    }
    RECT idle, converting;
    GetWindowRect(window, &idle);
    ExpectWholeControls(window);
    ShowConversionSize(window);
    GetWindowRect(window, &converting);
    ExpectWholeControls(window);
    printf("At %d DPI: labels %ld high, columns %d %d %d, window %ld x %ld idle, %ld x %ld converting\n", dpi,
           TextSize(window, FontOf(GetDlgItem(window, 1003))).cy, int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0)),
           int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0)), int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0)),
           idle.right - idle.left, idle.bottom - idle.top, converting.right - converting.left, converting.bottom - converting.top);
}
struct MainWindowAtThisScale : testing::Test {
    void TestBody() override { CheckMainWindowAtThisScale(atoi(getenv("TONVELKA_TEST_DPI"))); }
};
[[maybe_unused]] const bool AtThisScale = getenv("TONVELKA_TEST_DPI") != nullptr &&
    (testing::RegisterTest("DisplayScale", "MainWindowAtThisScale", nullptr, nullptr, __FILE__, __LINE__,
                           []() -> testing::Test* { return new MainWindowAtThisScale; }), true);

}  // namespace

TEST(DisplayScale, LaidOutAtEveryScale)
{
    EXPECT_EQ(GetACP(), 65001u) << "the manifest's UTF-8 code page";
    const char* desktop = "Control Panel\\Desktop";
    DWORD before = 96, size = sizeof(before);
    RegGetValueA(HKEY_CURRENT_USER, desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &before, &size);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (DWORD dpi : {96, 120, 144, 192}) {
        RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &dpi, sizeof(dpi));
        SetEnvironmentVariableA("TONVELKA_TEST_DPI", std::to_string(dpi).c_str());
        std::string line = std::string("\"") + self + "\" --gtest_filter=DisplayScale.MainWindowAtThisScale";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child = {};
        DWORD code = 99;
        fflush(stdout);
        if (CreateProcessA(self, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child))
            WaitForSingleObject(child.hProcess, 60000), GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread), CloseHandle(child.hProcess);
        EXPECT_EQ(code, 0u) << "the window at " << dpi << " DPI failed the checks above";
    }
    SetEnvironmentVariableA("TONVELKA_TEST_DPI", nullptr);
    RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &before, sizeof(before));
}
