// The destination format choice and its compatibility check.
#include "sources/format_choice.h"
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "settings/settings.h"
#include "engine/batch/path_list.h"
#include "engine/convert/convert_file.h"
#include "engine/format/format_size.h"
#include "sources/compatibility_check.h"
#include "res/resource.h"
#include "sources/format_chooser_dialog.h"
#include "sources/source_entry.h"
#include "win/list_rows.h"
#include "win/path_size.h"
#include "win/user_prompts.h"

namespace {

// The record's size differs between the two targets; both are what the
// platform's chooser checks cbStruct against.
static_assert(sizeof(ACMFORMATCHOOSEA) == (sizeof(void*) == 4 ? 232 : 268));

constexpr char ChooserTitle[] = "Destination Format";
// How many paths the message about rows left without a format names.
constexpr size_t ShownLeftOut = 5;
constexpr int ChooserNameChars = 50;

// Gives one row its own copy of the chosen format; false after a failure
// that ends the command (its message already shown).
bool StoreDestination(HWND window, HGLOBAL entry, const BYTE* format, DWORD length)
{
    HGLOBAL old = nullptr;
    if (!ReadDestinationHandle(entry, &old)) {
        ShowError(window, "Unable to retrieve the extra memory allocated to a list view item.");
        return false;
    }
    if (old != nullptr) {
        GlobalFree(old);
        SetDestinationHandle(entry, nullptr);
    }
    BlockFailure failure = BlockFailure::None;
    HGLOBAL block = CreateFormatBlock(format, length, &failure);
    if (block == nullptr) {
        ShowError(window, failure == BlockFailure::NoLock ? "Unable to lock memory for destination format information."
                                                          : "Unable to allocate memory for the destination format.");
        return false;
    }
    SetDestinationHandle(entry, block);
    return true;
}

void AnswerChooser(HWND dialog, BOOL verdict) { SetWindowLongPtrA(dialog, DWLP_MSGRESULT, verdict); }

// The check of the chooser that is open: the selection cannot change under a
// modal chooser, so its source formats are gathered at the first candidate
// and the codecs' answers kept until the command ends. The hook is called
// with the chooser's dialog; the rows are reached through the list kept here.
struct OpenCheck {
    HWND list = nullptr;
    CompatibilityCheck check;
    bool gathered = false;
    bool lockFailed = false;
};
OpenCheck* openCheck = nullptr;

class OpenCheckScope {
public:
    explicit OpenCheckScope(HWND list)
    {
        check_.list = list;
        openCheck = &check_;
    }
    ~OpenCheckScope() { openCheck = nullptr; }
    OpenCheckScope(const OpenCheckScope&) = delete;
    OpenCheckScope& operator=(const OpenCheckScope&) = delete;
    OpenCheck& Check() { return check_; }

private:
    OpenCheck check_;
};

// Gathers the selected rows' formats once; the real conversion opens its
// streams with the same allowance (non-real-time unless LowQuality), so a
// format offered is one the converter will reach.
void GatherOnce(OpenCheck& open)
{
    if (open.gathered)
        return;
    DWORD flags = ConversionStreamOpenFlags(Settings.LowQuality != 0);
    open.lockFailed = !open.check.GatherSelectedFormats(open.list, flags);
    open.gathered = true;
}

// The chooser's verify hook: answers FORMATCHOOSE_FORMAT_VERIFY through
// DWLP_MSGRESULT with TRUE when the converter reaches the candidate format
// from every selected row that some stage reads (through its own reader or a
// decoding codec, the sample chain, and an encoding codec or PCM as it is),
// and leaves every other message to the chooser.
UINT CALLBACK FormatChooseHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != MM_ACM_FORMATCHOOSE || wParam != FORMATCHOOSE_FORMAT_VERIFY || openCheck == nullptr)
        return FALSE;
    const auto* candidate = reinterpret_cast<const WAVEFORMATEX*>(lParam);
    OpenCheck& open = *openCheck;
    if (!open.gathered) {
        GatherOnce(open);
        // Told once: every candidate is left out for the same reason.
        if (open.lockFailed)
            ShowError(dialog, "Unable to lock memory of source format information.");
    }
    AnswerChooser(dialog, !open.lockFailed && open.check.CanReachAll(*candidate));
    return TRUE;
}

// Whether the check left a row out because no stage reads its format.
bool LeftOutOfCheck(OpenCheck& open, HGLOBAL entry)
{
    BYTE format[MaxFormatBytes];
    DWORD length = 0;
    return !open.lockFailed && CopySourceFormat(entry, format, sizeof(format), &length) &&
           open.check.IsUnreadable(format, length);
}

// One message about the rows that got no destination format.
void TellLeftOut(HWND window, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    std::string text = "Unable to give a destination format to " + std::to_string(paths.size()) +
                       " of the selected files, whose audio format cannot be read:";
    text += PathListText(paths, ShownLeftOut);
    ShowError(window, text.c_str());
}

// Gives the selected rows the chosen format. Rows that no stage reads were
// left out of the check: they get no format, which the batch could not reach.
bool GiveChosenFormat(HWND window, OpenCheck& open, bool checked, const BYTE* chosen, DWORD length)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    if (checked)
        GatherOnce(open);
    std::vector<std::string> leftOut;
    for (int row = NextSelectedRow(list, -1); row != -1; row = NextSelectedRow(list, row)) {
        HGLOBAL entry = GetRowEntry(list, row);
        if (entry == nullptr)
            continue;
        if (checked && LeftOutOfCheck(open, entry)) {
            if (HGLOBAL old = GetDestinationHandle(entry); old != nullptr && SetDestinationHandle(entry, nullptr))
                GlobalFree(old);
            char path[PathSize] = "";
            ReadRowText(list, row, 0, path);
            leftOut.push_back(path);
            continue;
        }
        if (!StoreDestination(window, entry, chosen, length))
            return false;
    }
    TellLeftOut(window, leftOut);
    return true;
}

}  // namespace

bool ChooseDestinationFormat(HWND window)
{
    // Not preset and no ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT: the chooser
    // never opens on an earlier choice, which may not suit this selection.
    alignas(WAVEFORMATEX) BYTE chosen[MaxFormatBytes];
    char name[ChooserNameChars];
    bool checked = Settings.CompatibilityCheck != 0;

    ACMFORMATCHOOSEA chooser = {};
    chooser.cbStruct = sizeof(chooser);
    chooser.fdwStyle = checked ? ACMFORMATCHOOSE_STYLEF_ENABLEHOOK : 0;
    chooser.hwndOwner = window;
    chooser.pwfx = reinterpret_cast<WAVEFORMATEX*>(chosen);
    chooser.cbwfx = sizeof(chosen);
    chooser.pszTitle = ChooserTitle;
    chooser.pszName = name;
    chooser.cchName = ChooserNameChars;
    chooser.fdwEnum = 0;
    chooser.pwfxEnum = nullptr;
    chooser.pfnHook = checked ? FormatChooseHook : nullptr;

    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    OpenCheckScope scope(list);
    MMRESULT result = ShowFormatChooser(&chooser);
    // Wine's chooser refuses any hook without showing anything; the
    // program's own chooser takes the same record and honours the hook.
    if (result == MMSYSERR_NOTSUPPORTED)
        result = RunFormatChooser(&chooser);
    if (result == ACMERR_CANCELED)
        return false;
    if (result != MMSYSERR_NOERROR) {
        ShowError(window, "Unable to open a dialog for choosing the destination audio format.");
        return false;
    }

    // A PCM destination is stored without its cbSize field.
    DWORD length = ChosenFormatLength(*chooser.pwfx);
    if (length > sizeof(chosen)) {
        ShowError(window, "Selected destination format needs more memory than is reserved.");
        return false;
    }

    return GiveChosenFormat(window, scope.Check(), checked, chosen, length);
}
