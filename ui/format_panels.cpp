// Format panels of the main window.
#include "ui/format_panels.h"
#include <commctrl.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <cstring>
#include <string>
#include "engine/format/format_guard.h"
#include "res/resource.h"
#include "sources/format_description.h"
#include "sources/format_names.h"
#include "sources/source_entry.h"
#include "ui/format_texts.h"
#include "ui/tooltips.h"
#include "win/handles.h"

namespace {

constexpr int SourceValues[] = { IDC_SRC_FORMATTAG,  IDC_SRC_CHANNELS,   IDC_SRC_SAMPLERATE, IDC_SRC_DATARATE,
                                 IDC_SRC_BLOCKALIGN, IDC_SRC_RESOLUTION, IDC_SRC_EXTRA };
constexpr int DestinationValues[] = { IDC_DST_FORMATTAG,  IDC_DST_CHANNELS,  IDC_DST_SAMPLERATE,
                                      IDC_DST_DATARATE,   IDC_DST_BLOCKALIGN, IDC_DST_RESOLUTION };

// A format as the panels read it: its guarded copy, so that fields beyond a
// short format read as 0 and the extra byte count is what the format holds.
struct FormatCopy {
    GuardedFormat view;

    const WAVEFORMATEX& Fields() const { return view.Fields(); }
    bool HasExtraCount() const { return view.Length > 16; }
    // An extensible format shows its sub-format's tag.
    WORD ShownTag() const { return ShownFormatTag(view.Bytes, view.Length); }
};

// Which fields all contributing rows have in common.
struct Agreement {
    bool tag = true;
    bool channels = true;
    bool rate = true;
    bool dataRate = true;
    bool blockAlign = true;
    bool resolution = true;
    bool extra = false;
    bool severalRows = false;

    void Compare(const FormatCopy& reference, const FormatCopy& other, bool withExtra)
    {
        const WAVEFORMATEX& a = reference.Fields();
        const WAVEFORMATEX& b = other.Fields();
        severalRows = true;
        tag = tag && reference.ShownTag() == other.ShownTag();
        channels = channels && a.nChannels == b.nChannels;
        rate = rate && a.nSamplesPerSec == b.nSamplesPerSec;
        dataRate = dataRate && a.nAvgBytesPerSec == b.nAvgBytesPerSec;
        blockAlign = blockAlign && a.nBlockAlign == b.nBlockAlign;
        resolution = resolution && a.wBitsPerSample == b.wBitsPerSample;
        // A row whose format ends before cbSize has no count of extra bytes
        // at all, which is not the same as a count of 0.
        if (withExtra && extra)
            extra = other.HasExtraCount() && a.cbSize == b.cbSize;
    }
};

// A row's source format (CopySourceFormat) or a destination block's format
// (CopyFormatBlock), clamped for showing its fields.
bool ReadShownFormat(bool (*copy)(HGLOBAL, void*, DWORD, DWORD*), HGLOBAL block, FormatCopy& format)
{
    BYTE bytes[MaxFormatBytes];
    DWORD length = 0;
    if (!copy(block, bytes, sizeof(bytes), &length))
        return false;
    format.view = ClampFormat(bytes, length);
    return true;
}

void SetText(HWND window, int id, const std::string& text) { SetDlgItemTextA(window, id, text.c_str()); }

void SetToolText(UINT_PTR tool, HWND window, const char* text)
{
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.hwnd = window;
    info.uId = tool;
    info.lpszText = const_cast<char*>(text);
    SendMessageA(ToolTipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

// Whether the text, in the default GUI font of the main window's device
// context, is at most as wide as the rectangle. Any step that cannot be
// taken counts as not fitting, so the user still gets the whole text.
bool TextFits(HWND window, const std::string& text, const RECT& rect)
{
    WindowDC dc(window);
    if (!dc)
        return false;
    SelectedObject font(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
    if (!font)
        return false;
    SIZE extent = {};
    if (!GetTextExtentPoint32A(dc.Get(), text.c_str(), int(text.size()), &extent))
        return false;
    POINT point = {extent.cx, extent.cy};
    return LPtoDP(dc.Get(), &point, 1) && point.x < rect.right - rect.left + 1;
}

// The tool over an Audio Format value carries the text only when the control
// cuts it off.
void FitToolTip(HWND window, UINT_PTR tool, const RECT& rect, const std::string& text)
{
    if (ToolTipWindow == nullptr)
        return;
    SetToolText(tool, window, TextFits(window, text, rect) ? "" : text.c_str());
}

std::string FormatTagText(const FormatCopy& reference, const Agreement& agreement)
{
    if (!agreement.tag)
        return DifferingText;
    char tagName[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
    if (!NameShownTag(reference.ShownTag(), tagName))
        return AudioFormatText(nullptr, nullptr, agreement.severalRows);
    // Several rows share only the tag; a format's name is asked for only
    // when one row contributes, from the codecs (never for a format they
    // must not see, and offered the whole zero-filled copy, as the buffer the
    // format lies in) or else as the list names the layouts of the own reader.
    char formatName[ACMFORMATDETAILS_FORMAT_CHARS];
    bool named = !agreement.severalRows &&
                 ((CodecsCanTake(reference.Fields()) &&
                   GetFormatName(&reference.Fields(), sizeof(reference.view.Bytes), formatName)) ||
                  NameOwnFormat(reference.view.Bytes, reference.view.Length, formatName));
    return AudioFormatText(tagName, named ? formatName : nullptr, agreement.severalRows);
}

// Writes the fields common to both panels, each control as soon as its text
// is made.
void ShowFields(HWND window, const int* ids, UINT_PTR tool, const RECT& rect, const FormatCopy& reference,
                const Agreement& agreement)
{
    const WAVEFORMATEX& f = reference.Fields();
    std::string formatTag = FormatTagText(reference, agreement);
    SetText(window, ids[0], formatTag);
    FitToolTip(window, tool, rect, formatTag);
    SetText(window, ids[1], agreement.channels ? ChannelsText(f.nChannels) : DifferingText);
    SetText(window, ids[2], agreement.rate ? SampleRateText(f.nSamplesPerSec) : DifferingText);
    SetText(window, ids[3], agreement.dataRate ? DataRateText(f.nAvgBytesPerSec) : DifferingText);
    SetText(window, ids[4], agreement.blockAlign ? BlockAlignText(f.nBlockAlign) : DifferingText);
    SetText(window, ids[5], agreement.resolution ? ResolutionText(f.wBitsPerSample) : DifferingText);
}

// False when a row's entry cannot be read; the panels then stop where they are.
bool ShowSourcePanel(HWND window, HWND list, int first, FormatCopy& reference, FormatCopy& other)
{
    if (!ReadShownFormat(CopySourceFormat, GetRowEntry(list, first), reference))
        return false;
    Agreement agreement;
    agreement.extra = reference.HasExtraCount();
    for (int row = NextSelectedRow(list, first); row != -1; row = NextSelectedRow(list, row)) {
        if (!ReadShownFormat(CopySourceFormat, GetRowEntry(list, row), other))
            return false;
        agreement.Compare(reference, other, true);
    }
    ShowFields(window, SourceValues, SourceFormatTool, FormatToolRectangles.source, reference, agreement);
    SetText(window, IDC_SRC_EXTRA,
            agreement.extra ? ExtraInformationText(reference.Fields().cbSize) : DifferingText);
    return true;
}

void ShowDestinationPanel(HWND window, HWND list, int first, FormatCopy& reference, FormatCopy& other)
{
    // Rows without a destination format are passed over: they neither count
    // as further rows nor make a field differ.
    int row = first;
    HGLOBAL destination = nullptr;
    for (; row != -1; row = NextSelectedRow(list, row)) {
        if (!ReadDestinationHandle(GetRowEntry(list, row), &destination))
            return;
        if (destination != nullptr)
            break;
    }
    if (row == -1) {
        for (int id : DestinationValues)
            SetDlgItemTextA(window, id, "");
        if (ToolTipWindow != nullptr)
            SetToolText(DestinationFormatTool, window, "");
        return;
    }
    if (!ReadShownFormat(CopyFormatBlock, destination, reference))
        return;
    Agreement agreement;
    for (row = NextSelectedRow(list, row); row != -1; row = NextSelectedRow(list, row)) {
        if (!ReadDestinationHandle(GetRowEntry(list, row), &destination))
            return;
        if (destination == nullptr)
            continue;
        if (!ReadShownFormat(CopyFormatBlock, destination, other))
            return;
        agreement.Compare(reference, other, false);
    }
    ShowFields(window, DestinationValues, DestinationFormatTool, FormatToolRectangles.destination, reference,
               agreement);
}

}  // namespace

void ShowFormatPanels(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    int first = NextSelectedRow(list, -1);
    if (first == -1) {
        for (int id : SourceValues)
            SetDlgItemTextA(window, id, "");
        for (int id : DestinationValues)
            SetDlgItemTextA(window, id, "");
        if (ToolTipWindow != nullptr) {
            SetToolText(SourceFormatTool, window, "");
            SetToolText(DestinationFormatTool, window, "");
        }
        return;
    }
    FormatCopy reference;
    FormatCopy other;
    if (!ShowSourcePanel(window, list, first, reference, other))
        return;
    ShowDestinationPanel(window, list, first, reference, other);
}
