// The main window at the display scales users choose. A process reads its
// DPI (the prefix's LogPixels) when it starts, so each scale is measured in a
// process of its own: this program started again with LogPixels set.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "res/resource.h"
#include "support/batch_window.h"
#include "ui/display_scale.h"
#include "ui/window_size.h"

namespace {

const char* const kDesktop = "Control Panel\\Desktop";
const int kLabels[] = {1003, 1002, 1006, 1008, 1010, 1012, 1014, 1019, 1021, 1023, 1025,
                       1027, 1029, 1031, 1032, 1048, 1046, 1050, 1058, 1041, 1043};

// The font's metrics, and the width of the control's text in it.
TEXTMETRICA FontMetrics(HWND control, HFONT font, LONG* textWidth = nullptr)
{
    TEXTMETRICA metrics = {};
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextMetricsA(dc, &metrics);
    char text[64] = "";
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, GetWindowTextA(control, text, sizeof(text)), &extent);
    if (textWidth != nullptr)
        *textWidth = extent.cx;
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return metrics;
}

RECT ClientRectOf(HWND window, HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

// Every control that begins inside the client area ends there, and no two of
// them overlap unless one frames the other (the panels, the statistics frame).
void ExpectWholeControls(HWND window, const char* size)
{
    SCOPED_TRACE(size);
    RECT client;
    GetClientRect(window, &client);
    std::vector<std::pair<int, RECT>> shown;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = ClientRectOf(window, child);
        if (rect.top >= client.bottom)
            continue;
        EXPECT_TRUE(Inside(rect, client)) << GetDlgCtrlID(child) << " is cut by the window's edge";
        shown.push_back({GetDlgCtrlID(child), rect});
    }
    for (size_t a = 0; a < shown.size(); ++a)
        for (size_t b = a + 1; b < shown.size(); ++b) {
            RECT common;
            const RECT &one = shown[a].second, &other = shown[b].second;
            EXPECT_FALSE(IntersectRect(&common, &one, &other) && !Inside(one, other) && !Inside(other, one))
                << shown[a].first << " overlaps " << shown[b].first;
        }
}

}  // namespace

// Run only by the test below, in a process started at the DPI it names.
TEST(DisplayScale, MainWindowAtThisScale)
{
    char wanted[16] = "";
    if (GetEnvironmentVariableA("TONVELKA_TEST_DPI", wanted, sizeof(wanted)) == 0)
        GTEST_SKIP() << "started by LaidOutAtEveryScale";
    const UINT dpi = UINT(atoi(wanted));
    HWND window = CreateBatchWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(WindowDpi(window), dpi) << "LogPixels did not take effect";
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    const TEXTMETRICA dialog = FontMetrics(window, dialogFont);
    for (int id : kLabels) {
        HWND label = GetDlgItem(window, id);
        LONG width = 0;
        RECT room;
        TEXTMETRICA metrics = FontMetrics(label, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), &width);
        EXPECT_GE(metrics.tmHeight, dialog.tmHeight) << id;
        EXPECT_LE(width, (GetClientRect(label, &room), room.right)) << id << " cuts its text";
        EXPECT_EQ(metrics.tmWeight, FW_BOLD) << id;
    }
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    const int widths[] = {300, 90, 179};
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0), MulDiv(widths[column], int(dpi), 96)) << column;
    for (int id : {IDC_PLAY, IDC_STOP_PLAY}) {
        BITMAP face = {};
        GetObjectA(reinterpret_cast<HBITMAP>(SendDlgItemMessageA(window, id, BM_GETIMAGE, IMAGE_BITMAP, 0)), sizeof(face), &face);
        EXPECT_EQ(face.bmWidth * 100 + face.bmHeight, MulDiv(22, int(dpi), 96) * 100 + MulDiv(18, int(dpi), 96)) << id;
    }
    RECT window96;
    GetWindowRect(window, &window96);
    printf("At %u DPI: label height %ld (dialog font %ld), columns %d %d %d, idle window %ld x %ld", dpi,
           FontMetrics(window, reinterpret_cast<HFONT>(SendDlgItemMessageA(window, 1003, WM_GETFONT, 0, 0))).tmHeight,
           dialog.tmHeight, int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0)), int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0)),
           int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0)), window96.right - window96.left, window96.bottom - window96.top);
    ExpectWholeControls(window, "idle");
    ShowConversionSize(window);
    GetWindowRect(window, &window96);
    printf(", converting %ld x %ld\n", window96.right - window96.left, window96.bottom - window96.top);
    ExpectWholeControls(window, "converting");
    DestroyWindow(window);
}

TEST(DisplayScale, LaidOutAtEveryScale)
{
    EXPECT_EQ(GetACP(), 65001u) << "the manifest's UTF-8 code page";
    DWORD before = 0, size = sizeof(before);
    bool had = RegGetValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &before, &size) == ERROR_SUCCESS;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (DWORD dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, sizeof(dpi));
        SetEnvironmentVariableA("TONVELKA_TEST_DPI", std::to_string(dpi).c_str());
        std::string line = std::string("\"") + self + "\" --gtest_filter=DisplayScale.MainWindowAtThisScale";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child = {};
        DWORD code = 99;
        fflush(stdout);
        if (CreateProcessA(self, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
            WaitForSingleObject(child.hProcess, 60000);
            GetExitCodeProcess(child.hProcess, &code);
            CloseHandle(child.hThread);
            CloseHandle(child.hProcess);
        }
        EXPECT_EQ(code, 0u) << "the window at this scale failed the checks above";
    }
    SetEnvironmentVariableA("TONVELKA_TEST_DPI", nullptr);
    if (had)
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &before, sizeof(before));
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
}
