// The program's own audio format chooser: a dialog of the program's resources
// that enumerates the installed codecs' tags and formats and asks the
// caller's verify hook before listing each of them.
#include "sources/format_chooser_dialog.h"
#include <algorithm>
#include <cstring>
#include <vector>
#include "sources/codec_formats.h"
#include "res/resource.h"

namespace {

struct ChooserState {
    ACMFORMATCHOOSEA* record = nullptr;
    MMRESULT result = MMSYSERR_ERROR;
    std::vector<CodecFormat> formats;  // of the tag shown, by list item data
};

// Styles this chooser carries out; any other style asks for something it
// would silently leave undone, so such a record is refused.
constexpr DWORD SupportedStyles = ACMFORMATCHOOSE_STYLEF_ENABLEHOOK;

ChooserState* StateOf(HWND dialog)
{
    return reinterpret_cast<ChooserState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool HasHook(const ChooserState& state)
{
    return (state.record->fdwStyle & ACMFORMATCHOOSE_STYLEF_ENABLEHOOK) != 0 && state.record->pfnHook != nullptr;
}

// The hook's verdict on a tag or a format. A hook that does not answer the
// message leaves the candidate offered, as the platform's chooser does.
bool AskHook(HWND dialog, const ChooserState& state, WPARAM kind, LPARAM candidate)
{
    if (!HasHook(state))
        return true;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    if (!state.record->pfnHook(dialog, MM_ACM_FORMATCHOOSE, kind, candidate))
        return true;
    bool offered = GetWindowLongPtrA(dialog, DWLP_MSGRESULT) != FALSE;
    // The verdict must not linger as the answer to a later dialog message.
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return offered;
}

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void ShowFormatsOfTag(HWND dialog, ChooserState& state)
{
    HWND list = Control(dialog, IDC_CHOOSER_FORMATS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    state.formats.clear();
    EnableWindow(Control(dialog, IDOK), FALSE);
    HWND tags = Control(dialog, IDC_CHOOSER_TAG);
    LRESULT tagIndex = SendMessageA(tags, CB_GETCURSEL, 0, 0);
    if (tagIndex == CB_ERR)
        return;
    DWORD tag = DWORD(SendMessageA(tags, CB_GETITEMDATA, WPARAM(tagIndex), 0));
    for (CodecFormat& candidate : ListTagFormats(tag)) {
        if (!AskHook(dialog, state, FORMATCHOOSE_FORMAT_VERIFY, reinterpret_cast<LPARAM>(candidate.Bytes.data())))
            continue;
        LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(candidate.Name.c_str()));
        if (item == LB_ERR || item == LB_ERRSPACE)
            continue;
        SendMessageA(list, LB_SETITEMDATA, WPARAM(item), LPARAM(state.formats.size()));
        state.formats.push_back(std::move(candidate));
    }
}

void ListTags(HWND dialog, const ChooserState& state)
{
    HWND tags = Control(dialog, IDC_CHOOSER_TAG);
    for (const CodecTag& tag : ListFormatTags()) {
        if (!AskHook(dialog, state, FORMATCHOOSE_FORMATTAG_VERIFY, LPARAM(tag.Tag)))
            continue;
        LRESULT item = SendMessageA(tags, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tag.Name.c_str()));
        if (item != CB_ERR && item != CB_ERRSPACE)
            SendMessageA(tags, CB_SETITEMDATA, WPARAM(item), LPARAM(tag.Tag));
    }
    SendMessageA(tags, CB_SETCURSEL, 0, 0);
}

BOOL HandleInitDialog(HWND dialog, ChooserState* state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    if (state->record->pszTitle != nullptr)
        SetWindowTextA(dialog, state->record->pszTitle);
    // The hook meets the dialog before it asks about any candidate, as with
    // the platform's chooser.
    if (HasHook(*state))
        state->record->pfnHook(dialog, WM_INITDIALOG, 0, state->record->lCustData);
    ListTags(dialog, *state);
    ShowFormatsOfTag(dialog, *state);
    return TRUE;
}

void Finish(HWND dialog, ChooserState& state, MMRESULT result)
{
    state.result = result;
    EndDialog(dialog, 0);
}

void HandleOk(HWND dialog, ChooserState& state)
{
    HWND list = Control(dialog, IDC_CHOOSER_FORMATS);
    LRESULT item = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (item == LB_ERR)
        return;
    size_t index = size_t(SendMessageA(list, LB_GETITEMDATA, WPARAM(item), 0));
    if (index >= state.formats.size())
        return;
    const CodecFormat& chosen = state.formats[index];
    ACMFORMATCHOOSEA& record = *state.record;
    const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(chosen.Bytes.data());
    if (ChosenFormatLength(format) > record.cbwfx) {
        Finish(dialog, state, ACMERR_NOTPOSSIBLE);
        return;
    }
    // A PCM format fits in 16 bytes; its zero cbSize goes along when there is
    // room for it.
    memcpy(record.pwfx, chosen.Bytes.data(), std::min<size_t>(chosen.Bytes.size(), record.cbwfx));
    HWND tags = Control(dialog, IDC_CHOOSER_TAG);
    LRESULT tagIndex = SendMessageA(tags, CB_GETCURSEL, 0, 0);
    char tagName[256] = "";
    if (tagIndex != CB_ERR && SendMessageA(tags, CB_GETLBTEXTLEN, WPARAM(tagIndex), 0) < LRESULT(sizeof(tagName)))
        SendMessageA(tags, CB_GETLBTEXT, WPARAM(tagIndex), reinterpret_cast<LPARAM>(tagName));
    lstrcpynA(record.szFormatTag, tagName, sizeof(record.szFormatTag));
    lstrcpynA(record.szFormat, chosen.Name.c_str(), sizeof(record.szFormat));
    if (record.pszName != nullptr && record.cchName > 0)
        record.pszName[0] = '\0';
    Finish(dialog, state, MMSYSERR_NOERROR);
}

BOOL HandleCommand(HWND dialog, ChooserState& state, WORD id, WORD code)
{
    switch (id) {
    case IDOK:
        HandleOk(dialog, state);
        return TRUE;
    case IDCANCEL:
        Finish(dialog, state, ACMERR_CANCELED);
        return TRUE;
    case IDC_CHOOSER_TAG:
        if (code == CBN_SELCHANGE)
            ShowFormatsOfTag(dialog, state);
        return TRUE;
    case IDC_CHOOSER_FORMATS:
        if (code == LBN_SELCHANGE) {
            bool chosen = SendMessageA(Control(dialog, IDC_CHOOSER_FORMATS), LB_GETCURSEL, 0, 0) != LB_ERR;
            EnableWindow(Control(dialog, IDOK), chosen);
        } else if (code == LBN_DBLCLK) {
            HandleOk(dialog, state);
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK FormatChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return HandleInitDialog(dialog, reinterpret_cast<ChooserState*>(lParam));
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) find no state.
    ChooserState* state = StateOf(dialog);
    if (state == nullptr)
        return FALSE;
    // The hook sees every message first; what it answers is not handled here.
    if (HasHook(*state) && state->record->pfnHook(dialog, message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_COMMAND:
        return HandleCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

}  // namespace

MMRESULT RunFormatChooser(ACMFORMATCHOOSEA* chooser)
{
    if (chooser == nullptr || chooser->cbStruct < sizeof(ACMFORMATCHOOSEA) || chooser->pwfx == nullptr)
        return MMSYSERR_INVALPARAM;
    if ((chooser->fdwStyle & ACMFORMATCHOOSE_STYLEF_ENABLEHOOK) != 0 && chooser->pfnHook == nullptr)
        return MMSYSERR_INVALPARAM;
    if ((chooser->fdwStyle & ~SupportedStyles) != 0 || chooser->fdwEnum != 0 || chooser->pwfxEnum != nullptr)
        return MMSYSERR_NOTSUPPORTED;
    ChooserState state;
    state.record = chooser;
    INT_PTR shown = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FORMAT_CHOOSER),
                                    chooser->hwndOwner, FormatChooserProc, reinterpret_cast<LPARAM>(&state));
    if (shown == -1)
        return MMSYSERR_ERROR;
    return state.result;
}
