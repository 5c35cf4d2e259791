// The destination format choice and its compatibility check.
#include "sources/format_choice.h"
#include "sources/format_panels.h"
#include <commctrl.h>
#include <cstring>
#include "app/settings.h"
#include "engine/format_guard.h"
#include "engine/handles.h"
#include "res/resource.h"
#include "sources/format_chooser_dialog.h"
#include "sources/source_entry.h"
#include "ui/main_window.h"
#include "ui/user_prompts.h"

void (*AfterDestinationFormatChosen)(HWND window) = ShowFormatPanels;
StreamOpenFunction CompatibilityQuery = acmStreamOpen;

namespace {

// The record's size differs between the two targets; both are what the
// platform's chooser checks cbStruct against.
static_assert(sizeof(ACMFORMATCHOOSEA) == (sizeof(void*) == 4 ? 232 : 268));

constexpr char ChooserTitle[] = "Destination Format";
constexpr int ChooserNameChars = 50;

void ShowError(HWND owner, const char* text) { ShowMessage(owner, text, "Error", MB_OK | MB_ICONHAND); }

int NextSelectedRow(HWND list, int after)
{
    return int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(after), MAKELPARAM(LVNI_SELECTED, 0)));
}

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

// The row's source format as the codecs may see it; nothing when the entry
// does not hold the length it claims or the format is refused.
std::optional<GuardedFormat> GuardedSourceFormat(HGLOBAL entry, const void* locked)
{
    SIZE_T size = GlobalSize(entry);
    DWORD length = 0;
    if (size < sizeof(DWORD))
        return std::nullopt;
    memcpy(&length, locked, sizeof(DWORD));
    if (length > size - sizeof(DWORD))
        return std::nullopt;
    return GuardFormat(static_cast<const BYTE*>(locked) + sizeof(DWORD), length);
}

void AnswerChooser(HWND dialog, BOOL verdict) { SetWindowLongPtrA(dialog, DWLP_MSGRESULT, verdict); }

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

    MMRESULT result = ShowFormatChooser(&chooser);
    // Wine's chooser refuses any hook without showing anything; the
    // program's own chooser takes the same record and honours the hook.
    if (result == MMSYSERR_NOTSUPPORTED)
        result = RunFormatChooser(&chooser);
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
    auto* candidate = reinterpret_cast<WAVEFORMATEX*>(lParam);
    // The real conversion opens its stream with the same allowance
    // (non-real-time unless LowQuality), so a format offered here is one the
    // converter will reach.
    DWORD flags = ACM_STREAMOPENF_QUERY | (Settings.LowQuality != 0 ? 0 : ACM_STREAMOPENF_NONREALTIME);

    // The chooser's dialog is this hook's window; the rows are reached
    // through the main window.
    HWND list = GetDlgItem(MainDialog, IDC_FILE_LIST);
    BOOL verdict = TRUE;
    for (int row = NextSelectedRow(list, -1); row != -1 && verdict; row = NextSelectedRow(list, row)) {
        HGLOBAL entry = GetRowEntry(list, row);
        if (entry == nullptr)
            continue;
        GlobalLockScope lock(entry);
        if (!lock) {
            ShowError(dialog, "Unable to lock memory of source format information.");
            AnswerChooser(dialog, FALSE);
            return TRUE;
        }
        std::optional<GuardedFormat> source = GuardedSourceFormat(entry, lock.Data());
        if (!source || CompatibilityQuery(nullptr, nullptr, source->Get(), candidate, nullptr, 0, 0, flags) !=
                           MMSYSERR_NOERROR)
            verdict = FALSE;
    }
    AnswerChooser(dialog, verdict);
    return TRUE;
}
