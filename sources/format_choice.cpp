// The destination format choice and its compatibility check.
#include "sources/format_choice.h"
#include "sources/format_panels.h"
#include <commctrl.h>
#include <cstring>
#include "settings/settings.h"
#include "engine/convert_file.h"
#include "sources/compatibility_check.h"
#include "win/handles.h"
#include "res/resource.h"
#include "sources/format_chooser_dialog.h"
#include "sources/source_entry.h"
#include "ui/main_window.h"
#include "win/user_prompts.h"

void (*AfterDestinationFormatChosen)(HWND window) = ShowFormatPanels;

namespace {

// The record's size differs between the two targets; both are what the
// platform's chooser checks cbStruct against.
static_assert(sizeof(ACMFORMATCHOOSEA) == (sizeof(void*) == 4 ? 232 : 268));

constexpr char ChooserTitle[] = "Destination Format";
constexpr int ChooserNameChars = 50;

void ShowError(HWND owner, const char* text) { ShowMessage(owner, text, "Error", MB_OK | MB_ICONHAND); }

// A PCM destination is stored without its cbSize field; any other format
// with its extra bytes.
DWORD DestinationLength(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM ? sizeof(PCMWAVEFORMAT) : sizeof(WAVEFORMATEX) + format.cbSize;
}

// Where the destination handle sits in a locked SourceEntry: after the
// source format, whose length the entry's first four bytes give.
BYTE* DestinationSlot(void* entry)
{
    auto* bytes = static_cast<BYTE*>(entry);
    DWORD sourceLength = 0;
    memcpy(&sourceLength, bytes, sizeof(sourceLength));
    return bytes + sizeof(DWORD) + sourceLength;
}

// Gives one row its own copy of the chosen format; false after a failure
// that ends the command (its message already shown).
bool StoreDestination(HWND window, HGLOBAL entry, const BYTE* format, DWORD length)
{
    GlobalLockScope entryLock(entry);
    if (!entryLock) {
        ShowError(window, "Unable to retrieve the extra memory allocated to a list view item.");
        return false;
    }
    BYTE* slot = DestinationSlot(entryLock.Data());
    HGLOBAL old = nullptr;
    memcpy(&old, slot, sizeof(old));
    if (old != nullptr) {
        GlobalFree(old);
        HGLOBAL none = nullptr;
        memcpy(slot, &none, sizeof(none));
    }
    GlobalMemory block(GlobalAlloc(GHND, sizeof(DWORD) + length));
    if (!block) {
        ShowError(window, "Unable to allocate memory for the destination format.");
        return false;
    }
    {
        GlobalLockScope blockLock(block.Get());
        if (!blockLock) {
            ShowError(window, "Unable to lock memory for destination format information.");
            return false;
        }
        auto* bytes = static_cast<BYTE*>(blockLock.Data());
        memcpy(bytes, &length, sizeof(length));
        memcpy(bytes + sizeof(DWORD), format, length);
    }
    HGLOBAL stored = block.Detach();
    memcpy(slot, &stored, sizeof(stored));
    return true;
}

void AnswerChooser(HWND dialog, BOOL verdict) { SetWindowLongPtrA(dialog, DWLP_MSGRESULT, verdict); }

// The check of the chooser that is open: the selection cannot change under a
// modal chooser, so its source formats are gathered at the first candidate
// and the codecs' answers kept until the chooser closes.
struct OpenCheck {
    CompatibilityCheck check;
    bool gathered = false;
    bool lockFailed = false;
};
OpenCheck* openCheck = nullptr;

class OpenCheckScope {
public:
    OpenCheckScope() { openCheck = &check_; }
    ~OpenCheckScope() { openCheck = nullptr; }
    OpenCheckScope(const OpenCheckScope&) = delete;
    OpenCheckScope& operator=(const OpenCheckScope&) = delete;

private:
    OpenCheck check_;
};

}  // namespace

void ChooseDestinationFormat(HWND window)
{
    // Not preset and no ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT: the chooser
    // never opens on an earlier choice, which may not suit this selection.
    alignas(WAVEFORMATEX) BYTE chosen[MaxKeptFormatBytes];
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

    MMRESULT result;
    {
        OpenCheckScope scope;
        result = ShowFormatChooser(&chooser);
        // Wine's chooser refuses any hook without showing anything; the
        // program's own chooser takes the same record and honours the hook.
        if (result == MMSYSERR_NOTSUPPORTED)
            result = RunFormatChooser(&chooser);
    }
    if (result == ACMERR_CANCELED)
        return;
    if (result != MMSYSERR_NOERROR) {
        ShowError(window, "Unable to open a dialog for choosing the destination audio format.");
        return;
    }

    DWORD length = DestinationLength(*chooser.pwfx);
    if (length > sizeof(chosen)) {
        ShowError(window, "Selected destination format needs more memory than is reserved.");
        return;
    }

    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    for (int row = NextSelectedRow(list, -1); row != -1; row = NextSelectedRow(list, row)) {
        HGLOBAL entry = GetRowEntry(list, row);
        if (entry == nullptr)
            continue;
        if (!StoreDestination(window, entry, chosen, length))
            return;
    }

    if (AfterDestinationFormatChosen != nullptr)
        AfterDestinationFormatChosen(window);
}

UINT CALLBACK FormatChooseHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != MM_ACM_FORMATCHOOSE || wParam != FORMATCHOOSE_FORMAT_VERIFY)
        return FALSE;
    const auto* candidate = reinterpret_cast<const WAVEFORMATEX*>(lParam);
    // The real conversion opens its stream with the same flags, so a format
    // offered here is one the converter will reach.
    DWORD flags = ConversionStreamOpenFlags(Settings.LowQuality != 0);

    // Outside ChooseDestinationFormat nothing is kept between candidates.
    OpenCheck once;
    OpenCheck& open = openCheck != nullptr ? *openCheck : once;
    if (!open.gathered) {
        // The chooser's dialog is this hook's window; the rows are reached
        // through the main window.
        open.lockFailed = !open.check.GatherSelectedFormats(GetDlgItem(MainDialog, IDC_FILE_LIST));
        open.gathered = true;
        // Told once: every candidate is left out for the same reason.
        if (open.lockFailed)
            ShowError(dialog, "Unable to lock memory of source format information.");
    }
    AnswerChooser(dialog, !open.lockFailed && open.check.CanReachAll(*candidate, flags));
    return TRUE;
}
