// The Source Format and Destination Format panels of the real main window,
// filled from real list rows and named by the installed codecs (Wine's names
// under the test display), and the tooltips over the two Audio Format values.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/format_panels.h"
#include "sources/source_entry.h"
#include "support/codec_formats.h"
#include "support/test_files.h"
#include "ui/main_window.h"
#include "ui/tooltips.h"

namespace {

constexpr int SourceValues[] = { IDC_SRC_FORMATTAG,  IDC_SRC_CHANNELS,   IDC_SRC_SAMPLERATE, IDC_SRC_DATARATE,
                                 IDC_SRC_BLOCKALIGN, IDC_SRC_RESOLUTION, IDC_SRC_EXTRA };
constexpr int DestinationValues[] = { IDC_DST_FORMATTAG,  IDC_DST_CHANNELS,   IDC_DST_SAMPLERATE,
                                      IDC_DST_DATARATE,   IDC_DST_BLOCKALIGN, IDC_DST_RESOLUTION };

// What every value and tool holds before a case, so that a value the panels
// failed to write cannot pass for an empty or expected one.
constexpr const char* Stale = "stale";

// Wine's codecs name 16-bit stereo PCM at 44100 Hz like this.
constexpr const char* PcmCdDescription = "PCM - 44100 Hz; 16 bits; Stereo";

struct Panel {
    std::string formatTag, channels, sampleRate, dataRate, blockAlign, resolution, extra;
};

Bytes WithCount(const Bytes& pcm16)
{
    // The 18-byte form of a PCM format: the same fields and a count of 0.
    Bytes format = pcm16;
    AppendU16(format, 0);
    return format;
}

// One main window for all cases: under Wine without a window manager, hiding
// or destroying a shown window takes seconds.
class FormatPanels : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    MainDialogProc, 0);
        if (dialog == nullptr)
            return;
        MainDialog = dialog;
        HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
        if (header == nullptr || SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) == 0) {
            char title[] = "Filename";
            LVCOLUMNA column = {};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            column.fmt = LVCFMT_LEFT;
            column.cx = 300;
            column.pszText = title;
            SendMessageA(List(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        }
        GetWindowRect(GetDlgItem(dialog, IDC_SRC_FORMATTAG), &sourceControl);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&sourceControl), 2);
        GetWindowRect(GetDlgItem(dialog, IDC_DST_FORMATTAG), &destinationControl);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&destinationControl), 2);
        CreateFormatToolTips(dialog);
    }

    static void TearDownTestSuite()
    {
        RemoveAllRows();
        if (ToolTipWindow != nullptr)
            DestroyWindow(ToolTipWindow);
        ToolTipWindow = nullptr;
        MainDialog = nullptr;
        if (dialog != nullptr)
            DestroyWindow(dialog);
        dialog = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(ToolTipWindow, nullptr);
        RemoveAllRows();
        for (int id : SourceValues)
            SetDlgItemTextA(dialog, id, Stale);
        for (int id : DestinationValues)
            SetDlgItemTextA(dialog, id, Stale);
        SetToolText(SourceFormatTool, Stale);
        SetToolText(DestinationFormatTool, Stale);
    }

    // A case that gave a control another width hands the window on in its
    // own layout, also when it failed half-way.
    void TearDown() override
    {
        if (resized)
            RestoreFormatControls();
        resized = false;
    }

    static HWND List() { return GetDlgItem(dialog, IDC_FILE_LIST); }

    static void RemoveAllRows()
    {
        int count = int(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row)
            FreeSourceEntry(GetRowEntry(List(), row));
        SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    }

    // A row as Add Files leaves it (path and entry), optionally with the
    // destination format that the format choice would have stored. Rows are
    // inserted unselected; the list sorts them by path.
    static void AddRow(const char* path, const Bytes& source, const Bytes& destination = {})
    {
        HGLOBAL entry = CreateSourceEntry(source.data(), DWORD(source.size()));
        ASSERT_NE(entry, nullptr);
        if (!destination.empty()) {
            HGLOBAL block = CreateFormatBlock(destination.data(), DWORD(destination.size()));
            ASSERT_NE(block, nullptr);
            ASSERT_TRUE(SetDestinationHandle(entry, block));
        }
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = int(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<char*>(path);
        item.lParam = reinterpret_cast<LPARAM>(entry);
        if (SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == -1) {
            FreeSourceEntry(entry);
            FAIL() << "row not inserted: " << path;
        }
    }

    static void Select(const char* path)
    {
        LVFINDINFOA find = {};
        find.flags = LVFI_STRING;
        find.psz = path;
        int row = int(SendMessageA(List(), LVM_FINDITEMA, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
        ASSERT_NE(row, -1) << path;
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageA(List(), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&state));
    }

    static void ClearSelection()
    {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED;
        SendMessageA(List(), LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&state));
    }

    static std::string Text(int id)
    {
        char text[512] = "";
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }

    static Panel Source()
    {
        return { Text(IDC_SRC_FORMATTAG),  Text(IDC_SRC_CHANNELS),   Text(IDC_SRC_SAMPLERATE), Text(IDC_SRC_DATARATE),
                 Text(IDC_SRC_BLOCKALIGN), Text(IDC_SRC_RESOLUTION), Text(IDC_SRC_EXTRA) };
    }

    static Panel Destination()
    {
        return { Text(IDC_DST_FORMATTAG),  Text(IDC_DST_CHANNELS),   Text(IDC_DST_SAMPLERATE), Text(IDC_DST_DATARATE),
                 Text(IDC_DST_BLOCKALIGN), Text(IDC_DST_RESOLUTION), "" };
    }

    static std::string ToolText(UINT_PTR tool)
    {
        char text[512] = "";
        TTTOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = dialog;
        info.uId = tool;
        info.lpszText = text;
        SendMessageA(ToolTipWindow, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
        return text;
    }

    static void SetToolText(UINT_PTR tool, const char* text)
    {
        TTTOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = dialog;
        info.uId = tool;
        info.lpszText = const_cast<char*>(text);
        SendMessageA(ToolTipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    }

    // Width in pixels of a text in the font the panels measure with.
    static int MeasuredWidth(const std::string& text)
    {
        HDC dc = GetDC(dialog);
        HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(dialog, dc);
        return extent.cx;
    }

    // Gives the control a new width and takes the tools again, as creating
    // the window would with a control of that width.
    static void ResizeFormatControl(int id, const RECT& original, int width)
    {
        resized = true;
        MoveWindow(GetDlgItem(dialog, id), original.left, original.top, width, original.bottom - original.top,
                   FALSE);
        DestroyWindow(ToolTipWindow);
        ToolTipWindow = nullptr;
        ASSERT_TRUE(CreateFormatToolTips(dialog));
    }

    static void RestoreFormatControls()
    {
        for (auto [id, rect] : { std::pair{ IDC_SRC_FORMATTAG, sourceControl },
                                 std::pair{ IDC_DST_FORMATTAG, destinationControl } })
            MoveWindow(GetDlgItem(dialog, id), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       FALSE);
        DestroyWindow(ToolTipWindow);
        ToolTipWindow = nullptr;
        CreateFormatToolTips(dialog);
    }

    static HWND dialog;
    static bool resized;
    static RECT sourceControl;
    static RECT destinationControl;
};

HWND FormatPanels::dialog = nullptr;
bool FormatPanels::resized = false;
RECT FormatPanels::sourceControl = {};
RECT FormatPanels::destinationControl = {};

void ExpectPanel(const Panel& actual, const Panel& expected)
{
    EXPECT_EQ(actual.formatTag, expected.formatTag);
    EXPECT_EQ(actual.channels, expected.channels);
    EXPECT_EQ(actual.sampleRate, expected.sampleRate);
    EXPECT_EQ(actual.dataRate, expected.dataRate);
    EXPECT_EQ(actual.blockAlign, expected.blockAlign);
    EXPECT_EQ(actual.resolution, expected.resolution);
    EXPECT_EQ(actual.extra, expected.extra);
}

const Panel EmptyPanel = {};

TEST_F(FormatPanels, NothingSelectedEmptiesAllValuesAndBothTooltips)
{
    AddRow("C:\\Audio\\one.wav", PcmFormat(2, 44100, 16), PcmFormat(1, 22050, 8));
    ShowFormatPanels(dialog);

    ExpectPanel(Source(), EmptyPanel);
    ExpectPanel(Destination(), EmptyPanel);
    EXPECT_EQ(ToolText(SourceFormatTool), "");
    EXPECT_EQ(ToolText(DestinationFormatTool), "");
}

TEST_F(FormatPanels, SixteenByteAndEighteenBytePcmDifferInExtraInformationOnly)
{
    Bytes pcm = PcmFormat(2, 44100, 16);
    AddRow("C:\\Audio\\short.wav", pcm);
    AddRow("C:\\Audio\\long.wav", WithCount(pcm));

    Select("C:\\Audio\\short.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { PcmCdDescription, "2 (Stereo)", "44.100 kHz", "172.27 kBytes/sec.", "4 Bytes",
                            "16 Bits/Sample", "-----" });
    // No destination format chosen: the destination panel stays empty.
    ExpectPanel(Destination(), EmptyPanel);
    EXPECT_EQ(ToolText(DestinationFormatTool), "");

    ClearSelection();
    Select("C:\\Audio\\long.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { PcmCdDescription, "2 (Stereo)", "44.100 kHz", "172.27 kBytes/sec.", "4 Bytes",
                            "16 Bits/Sample", "0 Bytes" });
}

TEST_F(FormatPanels, RowsWithAndWithoutCountOfExtraBytesDiffer)
{
    Bytes pcm = PcmFormat(2, 44100, 16);
    AddRow("C:\\Audio\\a.wav", WithCount(pcm));
    AddRow("C:\\Audio\\b.wav", pcm);
    Select("C:\\Audio\\a.wav");
    Select("C:\\Audio\\b.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { "PCM", "2 (Stereo)", "44.100 kHz", "172.27 kBytes/sec.", "4 Bytes", "16 Bits/Sample",
                            "-----" });
}

TEST_F(FormatPanels, SeveralRowsShowTheTagNameAndTheFieldsTheyShare)
{
    AddRow("C:\\Audio\\fast.wav", WithCount(PcmFormat(2, 44100, 16)));
    AddRow("C:\\Audio\\slow.wav", WithCount(PcmFormat(2, 22050, 16)));
    AddRow("C:\\Audio\\twin.wav", WithCount(PcmFormat(2, 44100, 16)));

    // Different sample rates.
    Select("C:\\Audio\\fast.wav");
    Select("C:\\Audio\\slow.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { "PCM", "2 (Stereo)", "-----", "-----", "4 Bytes", "16 Bits/Sample", "0 Bytes" });
    EXPECT_EQ(ToolText(SourceFormatTool), "");

    // Identical formats: still the tag name alone, the rest in common.
    ClearSelection();
    Select("C:\\Audio\\fast.wav");
    Select("C:\\Audio\\twin.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { "PCM", "2 (Stereo)", "44.100 kHz", "172.27 kBytes/sec.", "4 Bytes", "16 Bits/Sample",
                            "0 Bytes" });
    EXPECT_EQ(ToolText(SourceFormatTool), "");
}

TEST_F(FormatPanels, DifferentOrUnknownTags)
{
    Bytes pcm = PcmFormat(2, 44100, 16);
    Bytes ima = SuggestFormat(pcm, WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(ima.empty());
    ASSERT_EQ(AsFormat(ima).nChannels, 2);
    ASSERT_EQ(AsFormat(ima).nSamplesPerSec, 44100u);
    AddRow("C:\\Audio\\adpcm.wav", ima);
    AddRow("C:\\Audio\\plain.wav", WithCount(pcm));
    Bytes mystery = WithCount(PcmFormat(1, 8000, 8));
    mystery[0] = 0x77;
    mystery[1] = 0x77;
    AddRow("C:\\Audio\\mystery.wav", mystery);

    Select("C:\\Audio\\adpcm.wav");
    Select("C:\\Audio\\plain.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { "-----", "2 (Stereo)", "44.100 kHz", "-----", "-----", "-----", "-----" });
    EXPECT_EQ(ToolText(SourceFormatTool), "");

    ClearSelection();
    Select("C:\\Audio\\mystery.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Source(), { "<unknown>", "1 (Mono)", "8.000 kHz", "7.81 kBytes/sec.", "1 Byte", "8 Bits/Sample",
                            "0 Bytes" });
}

TEST_F(FormatPanels, DestinationPanelPassesOverRowsWithoutDestination)
{
    Bytes cd = PcmFormat(2, 44100, 16);
    AddRow("C:\\Audio\\1.wav", cd);
    AddRow("C:\\Audio\\2.wav", cd, PcmFormat(1, 22050, 8));
    AddRow("C:\\Audio\\3.wav", cd);
    AddRow("C:\\Audio\\4.wav", cd, PcmFormat(1, 44100, 8));
    AddRow("C:\\Audio\\5.wav", cd, PcmFormat(1, 22050, 8));

    // Of three selected rows only the middle one has a destination format:
    // shown in full, as if it alone were selected.
    Select("C:\\Audio\\1.wav");
    Select("C:\\Audio\\2.wav");
    Select("C:\\Audio\\3.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Destination(), { "PCM - 22050 Hz; 8 bits; Mono", "1 (Mono)", "22.050 kHz", "21.53 kBytes/sec.",
                                 "1 Byte", "8 Bits/Sample", "" });
    ExpectPanel(Source(), { "PCM", "2 (Stereo)", "44.100 kHz", "172.27 kBytes/sec.", "4 Bytes", "16 Bits/Sample",
                            "-----" });

    // Two destination formats with a row without one between them.
    ClearSelection();
    Select("C:\\Audio\\2.wav");
    Select("C:\\Audio\\3.wav");
    Select("C:\\Audio\\4.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Destination(), { "PCM", "1 (Mono)", "-----", "-----", "1 Byte", "8 Bits/Sample", "" });

    // Identical destination formats: the tag name alone.
    ClearSelection();
    Select("C:\\Audio\\2.wav");
    Select("C:\\Audio\\5.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Destination(), { "PCM", "1 (Mono)", "22.050 kHz", "21.53 kBytes/sec.", "1 Byte", "8 Bits/Sample",
                                 "" });
    EXPECT_EQ(ToolText(DestinationFormatTool), "");
}

TEST_F(FormatPanels, DestinationPanelEmptyWhenNoSelectedRowHasOne)
{
    Bytes cd = PcmFormat(2, 44100, 16);
    AddRow("C:\\Audio\\1.wav", cd);
    AddRow("C:\\Audio\\2.wav", WithCount(PcmFormat(2, 22050, 16)));
    AddRow("C:\\Audio\\3.wav", cd, SuggestFormat(cd, WAVE_FORMAT_IMA_ADPCM));
    Select("C:\\Audio\\1.wav");
    Select("C:\\Audio\\2.wav");
    ShowFormatPanels(dialog);

    ExpectPanel(Destination(), EmptyPanel);
    EXPECT_EQ(ToolText(DestinationFormatTool), "");
    ExpectPanel(Source(), { "PCM", "2 (Stereo)", "-----", "-----", "4 Bytes", "16 Bits/Sample", "-----" });
}

TEST_F(FormatPanels, DifferentDestinationTags)
{
    Bytes cd = PcmFormat(2, 44100, 16);
    Bytes ima = SuggestFormat(cd, WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(ima.empty());
    AddRow("C:\\Audio\\1.wav", cd, ima);
    AddRow("C:\\Audio\\2.wav", cd, PcmFormat(2, 44100, 8));
    Select("C:\\Audio\\1.wav");
    Select("C:\\Audio\\2.wav");
    ShowFormatPanels(dialog);
    ExpectPanel(Destination(), { "-----", "2 (Stereo)", "44.100 kHz", "-----", "-----", "-----", "" });
    EXPECT_EQ(ToolText(DestinationFormatTool), "");
}

TEST_F(FormatPanels, UnreadableRowLeavesThePanelsAsTheyWere)
{
    AddRow("C:\\Audio\\a.wav", PcmFormat(2, 44100, 16), PcmFormat(1, 22050, 8));
    // A row whose item data names no entry.
    char path[] = "C:\\Audio\\b.wav";
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 1;
    item.pszText = path;
    item.lParam = 0;
    ASSERT_NE(SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), -1);
    Select("C:\\Audio\\a.wav");
    Select("C:\\Audio\\b.wav");
    ShowFormatPanels(dialog);

    const Panel stale = { Stale, Stale, Stale, Stale, Stale, Stale, Stale };
    ExpectPanel(Source(), stale);
    ExpectPanel(Destination(), { Stale, Stale, Stale, Stale, Stale, Stale, "" });
    EXPECT_EQ(ToolText(SourceFormatTool), Stale);
    EXPECT_EQ(ToolText(DestinationFormatTool), Stale);
}

TEST_F(FormatPanels, ToolsCoverTheTwoAudioFormatValues)
{
    ASSERT_EQ(SendMessageA(ToolTipWindow, TTM_GETTOOLCOUNT, 0, 0), 2);
    std::vector<UINT_PTR> ids;
    for (int index = 0; index < 2; ++index) {
        char text[512] = "";
        TTTOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.lpszText = text;
        ASSERT_TRUE(SendMessageA(ToolTipWindow, TTM_ENUMTOOLSA, index, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(info.hwnd, dialog);
        EXPECT_EQ(info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), 0u);
        const RECT& expected = info.uId == SourceFormatTool ? sourceControl : destinationControl;
        EXPECT_TRUE(EqualRect(&info.rect, &expected)) << info.uId;
        ids.push_back(info.uId);
    }
    EXPECT_EQ(ids, (std::vector<UINT_PTR>{ SourceFormatTool, DestinationFormatTool }));
}

TEST_F(FormatPanels, DescriptionTooWideForItsControlBecomesTheTooltip)
{
    // In the window's own layout the description of CD audio is cut off.
    Bytes cd = PcmFormat(2, 44100, 16);
    AddRow("C:\\Audio\\cd.wav", cd, cd);
    Select("C:\\Audio\\cd.wav");
    ASSERT_GT(MeasuredWidth(PcmCdDescription), sourceControl.right - sourceControl.left);
    ShowFormatPanels(dialog);
    EXPECT_EQ(Text(IDC_SRC_FORMATTAG), PcmCdDescription);
    EXPECT_EQ(ToolText(SourceFormatTool), PcmCdDescription);
    EXPECT_EQ(Text(IDC_DST_FORMATTAG), PcmCdDescription);
    EXPECT_EQ(ToolText(DestinationFormatTool), PcmCdDescription);
}

TEST_F(FormatPanels, TooltipOnlyWhenWiderThanTheControlByAPixel)
{
    Bytes cd = PcmFormat(2, 44100, 16);
    AddRow("C:\\Audio\\cd.wav", cd, cd);
    Select("C:\\Audio\\cd.wav");
    const int width = MeasuredWidth(PcmCdDescription);
    ASSERT_GT(width, 0);

    // Exactly as wide as the controls: nothing to show.
    ResizeFormatControl(IDC_SRC_FORMATTAG, sourceControl, width);
    ResizeFormatControl(IDC_DST_FORMATTAG, destinationControl, width);
    SetToolText(SourceFormatTool, Stale);
    SetToolText(DestinationFormatTool, Stale);
    ShowFormatPanels(dialog);
    EXPECT_EQ(ToolText(SourceFormatTool), "");
    EXPECT_EQ(ToolText(DestinationFormatTool), "");

    // One pixel wider than the controls: the whole description.
    ResizeFormatControl(IDC_SRC_FORMATTAG, sourceControl, width - 1);
    ResizeFormatControl(IDC_DST_FORMATTAG, destinationControl, width - 1);
    ShowFormatPanels(dialog);
    EXPECT_EQ(ToolText(SourceFormatTool), PcmCdDescription);
    EXPECT_EQ(ToolText(DestinationFormatTool), PcmCdDescription);
}

}  // namespace
