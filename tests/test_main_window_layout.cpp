// The main window as its template builds it: the frame, the 62 controls in tab
// order with their ids, classes, texts, styles and places, and the icon and
// button bitmaps that go with it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include "res/resource.h"

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;    // without WS_CHILD | WS_VISIBLE, which every control has
    DWORD exStyle;
    int x, y, width, height;  // dialog units
};

constexpr DWORD kNoWrapText = WS_GROUP | SS_LEFTNOWORDWRAP;
constexpr DWORD kText = WS_GROUP | SS_LEFT;
constexpr DWORD kRightText = WS_GROUP | SS_RIGHT;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

const ExpectedControl kControls[] = {
    { IDC_FILE_LIST, "SysListView32", "List1",
      WS_GROUP | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE,
      WS_EX_CLIENTEDGE, 7, 7, 382, 82 },
    { -1, "Button", "Source Format", WS_GROUP | BS_GROUPBOX, 0, 7, 106, 188, 108 },
    { IDC_SRC_FORMATTAG_LABEL, "Static", "Audio Format", kNoWrapText, 0, 15, 118, 69, 8 },
    { IDC_SRC_FORMATTAG, "Static", "", kNoWrapText, 0, 89, 118, 97, 8 },
    { IDC_SRC_CHANNELS_LABEL, "Static", "Channels", kNoWrapText, 0, 15, 132, 69, 8 },
    { IDC_SRC_CHANNELS, "Static", "", kText, 0, 89, 132, 97, 8 },
    { IDC_SRC_SAMPLERATE_LABEL, "Static", "Sample Rate", kNoWrapText, 0, 15, 145, 69, 8 },
    { IDC_SRC_SAMPLERATE, "Static", "", kText, 0, 89, 145, 97, 8 },
    { IDC_SRC_DATARATE_LABEL, "Static", "Data Rate", kNoWrapText, 0, 15, 158, 69, 8 },
    { IDC_SRC_DATARATE, "Static", "", kText, 0, 89, 158, 97, 8 },
    { IDC_SRC_BLOCKALIGN_LABEL, "Static", "Block Align", kNoWrapText, 0, 15, 171, 69, 8 },
    { IDC_SRC_BLOCKALIGN, "Static", "", kText, 0, 89, 171, 97, 8 },
    { IDC_SRC_RESOLUTION_LABEL, "Static", "Resolution", kNoWrapText, 0, 15, 183, 69, 8 },
    { IDC_SRC_RESOLUTION, "Static", "", kText, 0, 89, 183, 97, 8 },
    { IDC_SRC_EXTRA_LABEL, "Static", "Extra Information", kNoWrapText, 0, 15, 196, 69, 8 },
    { IDC_SRC_EXTRA, "Static", "", kText, 0, 89, 196, 97, 8 },
    { IDC_DST_GROUP, "Button", "Destination Format", BS_GROUPBOX, 0, 201, 106, 188, 108 },
    { IDC_DST_FORMATTAG_LABEL, "Static", "Audio Format", kNoWrapText, 0, 209, 118, 68, 8 },
    { IDC_DST_FORMATTAG, "Static", "", kNoWrapText, 0, 283, 118, 97, 8 },
    { IDC_DST_CHANNELS_LABEL, "Static", "Channels", kNoWrapText, 0, 209, 132, 68, 8 },
    { IDC_DST_CHANNELS, "Static", "", kText, 0, 283, 132, 97, 8 },
    { IDC_DST_SAMPLERATE_LABEL, "Static", "Sample Rate", kNoWrapText, 0, 209, 145, 68, 8 },
    { IDC_DST_SAMPLERATE, "Static", "", kText, 0, 283, 145, 97, 8 },
    { IDC_DST_DATARATE_LABEL, "Static", "Data Rate", kNoWrapText, 0, 209, 158, 68, 8 },
    { IDC_DST_DATARATE, "Static", "", kText, 0, 283, 158, 97, 8 },
    { IDC_DST_BLOCKALIGN_LABEL, "Static", "Block Align", kNoWrapText, 0, 209, 171, 68, 8 },
    { IDC_DST_BLOCKALIGN, "Static", "", kText, 0, 283, 171, 97, 8 },
    { IDC_DST_RESOLUTION_LABEL, "Static", "Resolution", kNoWrapText, 0, 209, 183, 68, 8 },
    { IDC_DST_RESOLUTION, "Static", "", kText, 0, 283, 183, 97, 8 },
    { IDC_SELECT_FORMAT, "Button", "&Select Destination Format", WS_DISABLED | WS_GROUP | kButton, 0,
      209, 195, 171, 16 },
    { IDC_ADD_FILES, "Button", "&Add Files", WS_GROUP | kButton, 0, 7, 220, 73, 14 },
    { IDC_REMOVE_FILE, "Button", "&Remove File", WS_DISABLED | kButton, 0, 84, 220, 73, 14 },
    { IDC_DESTINATION, "Button", "&Destination", kButton, 0, 161, 220, 73, 14 },
    { IDC_CONVERT, "Button", "&Convert", WS_DISABLED | kButton, 0, 238, 220, 73, 14 },
    { IDC_SETTINGS, "Button", "Se&ttings", kButton, 0, 315, 220, 73, 14 },
    { IDC_DEST_INFO, "Static", "", kText, 0, 7, 239, 382, 8 },
    { IDC_SEPARATOR, "Static", "", WS_GROUP | SS_ETCHEDHORZ, 0, 7, 251, 379, 1 },
    { IDC_TOTAL_LABEL, "Static", "Overall", kNoWrapText, 0, 7, 259, 47, 8 },
    { IDC_TOTAL_PROGRESS, "msctls_progress32", "Progress1", WS_BORDER, 0, 7, 270, 382, 11 },
    { IDC_FILE_LABEL, "Static", "Actual File", kNoWrapText, 0, 7, 286, 47, 8 },
    { IDC_FILE_TEXT_LEFT, "Static", "", kRightText, WS_EX_RIGHT, 58, 286, 63, 8 },
    { IDC_FILE_TEXT_RIGHT, "Static", "", kRightText, WS_EX_RIGHT, 348, 286, 41, 8 },
    { IDC_FILE_PROGRESS, "msctls_progress32", "Progress1", WS_BORDER, 0, 7, 296, 382, 11 },
    { IDC_FILE_TEXT_MID, "Static", "", kText, 0, 135, 286, 115, 8 },
    { IDC_FILE_MARK, "Static", "", kText, 0, 125, 286, 8, 8 },
    { IDC_TOTAL_TEXT_LEFT, "Static", "", kRightText, WS_EX_RIGHT, 58, 259, 63, 8 },
    { IDC_TOTAL_TEXT_RIGHT, "Static", "", kRightText, WS_EX_RIGHT, 348, 259, 41, 8 },
    { IDC_TOTAL_TEXT_MID, "Static", "", kText, 0, 135, 259, 115, 8 },
    { IDC_TOTAL_MARK, "Static", "", kText, 0, 125, 259, 8, 8 },
    { -1, "Static", "", SS_LEFT | SS_SUNKEN, 0, 7, 318, 382, 42 },
    { IDC_AVG_COMPRESSION_LABEL, "Static", "Average Compression", kText, 0, 13, 334, 90, 8 },
    { IDC_ELAPSED_TIME_LABEL, "Static", "Elapsed Time", kText, 0, 183, 334, 74, 8 },
    { IDC_ELAPSED_TIME, "Static", "", kText, 0, 274, 334, 89, 8 },
    { IDC_AVG_COMPRESSION, "Static", "", kText, 0, 110, 334, 60, 8 },
    { IDC_CONVERT_INFO, "Static", "", kText, 0, 13, 322, 370, 8 },
    { IDC_CUR_COMPRESSION_LABEL, "Static", "Current Compression", kText, 0, 13, 347, 90, 8 },
    { IDC_CUR_COMPRESSION, "Static", "", kText, 0, 110, 347, 60, 8 },
    { IDC_ESTIMATED_TIME_LABEL, "Static", "Estimated Time", kText, 0, 183, 347, 74, 8 },
    { IDC_ESTIMATED_TIME, "Static", "", kText, 0, 274, 347, 89, 8 },
    { IDC_PLAY, "Button", "", kButton | BS_BITMAP, 0, 356, 91, 15, 11 },
    { IDC_STOP_PLAY, "Button", "", kButton | BS_BITMAP, 0, 374, 91, 15, 11 },
    { IDC_SELECTION_INFO, "Static", "", kText, 0, 7, 95, 340, 8 },
};
constexpr size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);
static_assert(kControlCount == 62);

constexpr DWORD kFrameStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                              DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;

// Extended styles the template gives controls; the dialog manager and some
// controls add others of their own (WS_EX_NOPARENTNOTIFY, edges).
constexpr DWORD kTemplateExStyles = WS_EX_CLIENTEDGE | WS_EX_RIGHT;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

HINSTANCE Module()
{
    return GetModuleHandleA(nullptr);
}

std::string WindowText(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassName(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool SameText(const std::string& a, const char* b)
{
    return lstrcmpiA(a.c_str(), b) == 0;
}

// Owns the main window built from the real template with a procedure that
// does nothing, so what the tests see is the template alone. One window serves
// the whole suite: under Wine without a window manager, taking a shown window
// down waits about two seconds. A test that changes it puts it back.
class MainWindowLayout : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, QuietDialogProc, 0);
    }

    static void TearDownTestSuite()
    {
        if (dialog != nullptr)
            DestroyWindow(dialog);
        dialog = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(dialog, nullptr) << "the main window could not be created";
    }

    std::vector<HWND> ChildrenInZOrder() const
    {
        std::vector<HWND> children;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        return children;
    }

    // The dialog manager converts a control's origin and its size each on
    // their own, so the right edge is the converted x plus the converted width.
    RECT DialogUnitsToPixels(int x, int y, int width, int height) const
    {
        RECT rect = { x, y, width, height };
        MapDialogRect(dialog, &rect);
        return { rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom };
    }

    RECT RectInDialog(int id) const
    {
        HWND control = GetDlgItem(dialog, id);
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    static HWND dialog;
};

HWND MainWindowLayout::dialog = nullptr;

// A reader for resource data as the module holds it (the icon group's
// directory), so the tests see the images the icon really carries.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : at(data) {}

    WORD Word() { WORD v; std::memcpy(&v, at, 2); at += 2; return v; }
    DWORD Dword() { DWORD v; std::memcpy(&v, at, 4); at += 4; return v; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *at++; }

    // A name or an ordinal: 0xFFFF then the ordinal, or a zero-ended UTF-16 text.
    std::string NameOrOrdinal(WORD* ordinal)
    {
        *ordinal = 0;
        WORD first = Word();
        if (first == 0xFFFF) {
            *ordinal = Word();
            return {};
        }
        std::string text;
        for (WORD c = first; c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }

    std::string Text()
    {
        WORD ordinal;
        return NameOrOrdinal(&ordinal);
    }

    void AlignToDword(const BYTE* base)
    {
        while ((at - base) % 4 != 0)
            ++at;
    }

    void Skip(size_t bytes) { at += bytes; }
    const BYTE* at;
};

} // namespace

TEST_F(MainWindowLayout, HasTheTitleAndAFixedFrameWithAMinimizeBoxOnly)
{
    EXPECT_EQ(WindowText(dialog), "Tonvelka 1.1");
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE),
              LONG(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE));
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD | WS_DISABLED), 0);
    EXPECT_EQ(GetMenu(dialog), nullptr);
    // The program gives the window no icon of its own.
    EXPECT_EQ(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainWindowLayout, ClientAreaIsTheTemplateSize)
{
    RECT expected = DialogUnitsToPixels(0, 0, 396, 251);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
}

TEST_F(MainWindowLayout, UsesMsSansSerifEightPointNormal)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA log = {};
    ASSERT_NE(GetObjectA(font, sizeof(log), &log), 0);
    EXPECT_STREQ(log.lfFaceName, "MS Sans Serif");
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(log.lfHeight, -MulDiv(8, pixelsPerInch, 72));
    EXPECT_EQ(log.lfWeight, FW_NORMAL);
    EXPECT_EQ(log.lfItalic, 0);
    EXPECT_EQ(log.lfCharSet, DEFAULT_CHARSET);
}

TEST_F(MainWindowLayout, ChildrenFollowTheTemplateOrderWithIdsAndClasses)
{
    std::vector<HWND> children = ChildrenInZOrder();
    ASSERT_EQ(children.size(), kControlCount);
    for (size_t i = 0; i < kControlCount; ++i) {
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " id " << kControls[i].id);
        EXPECT_EQ(GetDlgCtrlID(children[i]), kControls[i].id);
        std::string name = ClassName(children[i]);
        EXPECT_TRUE(SameText(name, kControls[i].className)) << name;
    }
}

TEST_F(MainWindowLayout, ChildrenShowTheirTexts)
{
    std::vector<HWND> children = ChildrenInZOrder();
    ASSERT_EQ(children.size(), kControlCount);
    for (size_t i = 0; i < kControlCount; ++i) {
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " id " << kControls[i].id);
        EXPECT_EQ(WindowText(children[i]), kControls[i].text);
    }
}

TEST_F(MainWindowLayout, ChildrenHaveExactlyTheirStyles)
{
    std::vector<HWND> children = ChildrenInZOrder();
    ASSERT_EQ(children.size(), kControlCount);
    for (size_t i = 0; i < kControlCount; ++i) {
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " id " << kControls[i].id);
        DWORD style = static_cast<DWORD>(GetWindowLongA(children[i], GWL_STYLE));
        DWORD expected = WS_CHILD | WS_VISIBLE | kControls[i].style;
        // The list view shows scroll bars when its rows need them.
        if (kControls[i].id == IDC_FILE_LIST)
            style &= ~(WS_HSCROLL | WS_VSCROLL);
        // A progress bar trades the border it is created with for an edge it
        // draws itself; the template check below holds the WS_BORDER.
        if (SameText(ClassName(children[i]), PROGRESS_CLASSA)) {
            style &= ~WS_BORDER;
            expected &= ~WS_BORDER;
        }
        EXPECT_EQ(style, expected) << std::hex << style;
        DWORD exStyle = static_cast<DWORD>(GetWindowLongA(children[i], GWL_EXSTYLE));
        EXPECT_EQ(exStyle & kTemplateExStyles, kControls[i].exStyle) << std::hex << exStyle;
    }
}

TEST_F(MainWindowLayout, OnlySelectFormatRemoveFileAndConvertStartDisabled)
{
    std::set<int> disabled;
    for (HWND child : ChildrenInZOrder())
        if (!IsWindowEnabled(child))
            disabled.insert(GetDlgCtrlID(child));
    EXPECT_EQ(disabled, (std::set<int>{ IDC_SELECT_FORMAT, IDC_REMOVE_FILE, IDC_CONVERT }));
}

TEST_F(MainWindowLayout, ControlsSitWhereTheTemplatePutsThem)
{
    for (const ExpectedControl& want : kControls) {
        if (want.id == -1)
            continue;
        SCOPED_TRACE(testing::Message() << "id " << want.id);
        RECT expected = DialogUnitsToPixels(want.x, want.y, want.width, want.height);
        RECT actual = RectInDialog(want.id);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        // The static control fits an etched line's window around the edge it
        // draws, so only the line's origin stays where the template puts it.
        if (want.id == IDC_SEPARATOR)
            continue;
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
}

TEST_F(MainWindowLayout, OnlyTheUpperAreasLieInsideTheIdleWindow)
{
    RECT client;
    GetClientRect(dialog, &client);
    for (const ExpectedControl& want : kControls) {
        if (want.id == -1)
            continue;
        SCOPED_TRACE(testing::Message() << "id " << want.id);
        RECT rect = RectInDialog(want.id);
        // The separator and everything of the progress rows and the statistics
        // start at or below the bottom edge; the rest ends above it.
        if (want.y >= 251)
            EXPECT_GE(rect.top, client.bottom);
        else
            EXPECT_LE(rect.bottom, client.bottom);
    }
}

TEST_F(MainWindowLayout, TabbingVisitsTheEnabledTabStopsInTemplateOrder)
{
    const int expected[] = { IDC_FILE_LIST, IDC_ADD_FILES, IDC_DESTINATION, IDC_SETTINGS, IDC_PLAY, IDC_STOP_PLAY,
                             IDC_FILE_LIST };
    HWND at = GetDlgItem(dialog, IDC_FILE_LIST);
    for (size_t i = 1; i < sizeof(expected) / sizeof(expected[0]); ++i) {
        at = GetNextDlgTabItem(dialog, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), expected[i]) << "step " << i;
    }

    // With every button enabled, as during a normal session, the format button
    // and all five command buttons take their turn.
    for (int id : { IDC_SELECT_FORMAT, IDC_REMOVE_FILE, IDC_CONVERT })
        EnableWindow(GetDlgItem(dialog, id), TRUE);
    const int all[] = { IDC_FILE_LIST, IDC_SELECT_FORMAT, IDC_ADD_FILES, IDC_REMOVE_FILE, IDC_DESTINATION,
                        IDC_CONVERT, IDC_SETTINGS, IDC_PLAY, IDC_STOP_PLAY, IDC_FILE_LIST };
    at = GetDlgItem(dialog, IDC_FILE_LIST);
    for (size_t i = 1; i < sizeof(all) / sizeof(all[0]); ++i) {
        at = GetNextDlgTabItem(dialog, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), all[i]) << "step " << i;
    }
    for (int id : { IDC_SELECT_FORMAT, IDC_REMOVE_FILE, IDC_CONVERT })
        EnableWindow(GetDlgItem(dialog, id), FALSE);
}

TEST_F(MainWindowLayout, IdentifiersAreUniqueApartFromMinusOne)
{
    std::set<int> seen;
    int anonymous = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = static_cast<short>(GetDlgCtrlID(child));
        if (id == -1) {
            ++anonymous;
            continue;
        }
        EXPECT_TRUE(seen.insert(id).second) << "id " << id << " appears twice";
    }
    EXPECT_EQ(anonymous, 2);
}

TEST(ProgramIcon, GroupHoldsThreeImagesOfTheDocumentedSizesAndDepths)
{
    HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(IDI_TONVELKA), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(found, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), found)));
    TemplateReader r(data);
    EXPECT_EQ(r.Word(), 0);  // reserved
    EXPECT_EQ(r.Word(), 1);  // icons, not cursors
    ASSERT_EQ(r.Word(), 3);
    struct Entry { int width, height, colours, bits; };
    const Entry expected[] = { { 32, 32, 2, 1 }, { 32, 32, 16, 4 }, { 16, 16, 16, 4 } };
    for (const Entry& e : expected) {
        SCOPED_TRACE(testing::Message() << e.width << "x" << e.height << " " << e.colours << " colours");
        EXPECT_EQ(r.Byte(), e.width);
        EXPECT_EQ(r.Byte(), e.height);
        EXPECT_EQ(r.Byte(), e.colours);
        r.Byte();              // reserved
        EXPECT_EQ(r.Word(), 1);  // planes
        EXPECT_EQ(r.Word(), e.bits);
        r.Dword();             // bytes in the image
        r.Word();              // its RT_ICON id
    }
}

TEST(ProgramIcon, LoadsAtBothSizes)
{
    for (int size : { 32, 16 }) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageA(Module(), MAKEINTRESOURCEA(IDI_TONVELKA), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_NE(info.hbmColor, nullptr);
        GetObjectA(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

namespace {

struct ButtonFace {
    int id;
    const char* name;
    POINT mark;          // a pixel of the picture
    COLORREF markColour;
    POINT face;          // a pixel of the plain button face beside it
};

const ButtonFace kFaces[] = {
    { IDB_PLAY, "play", { 10, 8 }, RGB(0x00, 0xFF, 0x00), { 4, 8 } },
    { IDB_PAUSE, "pause", { 8, 8 }, RGB(0x00, 0xFF, 0x00), { 10, 8 } },
    { IDB_STOP, "stop", { 10, 8 }, RGB(0xFF, 0x00, 0x00), { 4, 8 } },
};

} // namespace

TEST(PreviewBitmaps, AreSixteenColourDibsOfTwentyTwoByEighteen)
{
    for (const ButtonFace& face : kFaces) {
        SCOPED_TRACE(face.name);
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(Module(), MAKEINTRESOURCEA(face.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectA(bitmap, sizeof(dib), &dib), int(sizeof(dib)));
        EXPECT_EQ(dib.dsBm.bmWidth, 22);
        EXPECT_EQ(dib.dsBm.bmHeight, 18);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 4);
        EXPECT_EQ(dib.dsBmih.biBitCount, 4);
        EXPECT_EQ(dib.dsBmih.biCompression, DWORD(BI_RGB));
        DeleteObject(bitmap);
    }
}

TEST(PreviewBitmaps, UseTheStandardPaletteAndDrawARaisedButton)
{
    // The standard 16-colour palette in the order 4-bit DIBs use it.
    const COLORREF standard[16] = {
        RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
        RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
        RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
        RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
    };
    for (const ButtonFace& face : kFaces) {
        SCOPED_TRACE(face.name);
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(Module(), MAKEINTRESOURCEA(face.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);

        RGBQUAD table[16] = {};
        ASSERT_EQ(GetDIBColorTable(dc, 0, 16, table), 16u);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue), standard[i]) << "entry " << i;

        const COLORREF white = RGB(255, 255, 255), grey = RGB(192, 192, 192), shadow = RGB(128, 128, 128);
        EXPECT_EQ(GetPixel(dc, 0, 0), white);
        EXPECT_EQ(GetPixel(dc, 10, 0), white);
        EXPECT_EQ(GetPixel(dc, 0, 9), white);
        EXPECT_EQ(GetPixel(dc, 21, 17), shadow);
        EXPECT_EQ(GetPixel(dc, 10, 17), shadow);
        EXPECT_EQ(GetPixel(dc, 21, 9), shadow);
        EXPECT_EQ(GetPixel(dc, 2, 2), grey);
        EXPECT_EQ(GetPixel(dc, face.face.x, face.face.y), grey);
        EXPECT_EQ(GetPixel(dc, face.mark.x, face.mark.y), face.markColour);

        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
}
