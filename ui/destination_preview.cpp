// The sample of a row in its destination format, and its temporary file.
#include "ui/destination_preview.h"
#include <commctrl.h>
#include <cstddef>
#include <cstring>
#include "engine/convert_file.h"
#include "res/resource.h"
#include "sources/source_entry.h"
#include "ui/conversion_control.h"
#include "ui/preview.h"
#include "win/user_prompts.h"

namespace {

// The sample file while one exists; empty otherwise. Window's thread only.
char SampleFile[MAX_PATH] = "";

struct SelectedRow {
    char Path[256] = "";
    BYTE Source[MaxKeptFormatBytes] = {};
    DWORD SourceLength = 0;
    BYTE Destination[MaxKeptFormatBytes] = {};
    DWORD DestinationLength = 0;
};

// The one selected row, when it has a destination format.
bool ReadSelectedRow(HWND window, SelectedRow& row)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
        return false;
    int index = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), MAKELPARAM(LVNI_SELECTED, 0)));
    HGLOBAL entry = GetRowEntry(list, index);
    HGLOBAL destination = entry != nullptr ? GetDestinationHandle(entry) : nullptr;
    if (!IsLiveBlock(destination))
        return false;
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = row.Path;
    item.cchTextMax = sizeof(row.Path);
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    return CopySourceFormat(entry, row.Source, sizeof(row.Source), &row.SourceLength) &&
           CopyFormatBlock(destination, row.Destination, sizeof(row.Destination), &row.DestinationLength);
}

// A new, empty file of a name nobody else has, in the user's temporary
// folder: the sample never lands among the user's files or replaces one.
bool CreateSampleFile()
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(folder), folder);
    // GetTempFileName adds up to 14 characters to the folder.
    if (length == 0 || length > sizeof(folder) - 14)
        return false;
    return GetTempFileNameA(folder, "tvk", 0, SampleFile) != 0;
}

bool ConvertSample(const SelectedRow& row)
{
    if (!CreateSampleFile()) {
        SampleFile[0] = '\0';
        return false;
    }
    ConvertOptions sample;
    sample.PartOfBatch = false;
    sample.MaxSourceBytes = SampleSourceBytes(row.Source, row.SourceLength, SampleSeconds);
    return ConvertFile(row.Path, row.Source, row.SourceLength, SampleFile, row.Destination, row.DestinationLength,
                       nullptr, sample) == Converted;
}

}  // namespace

bool CanPlayInDestinationFormat(HWND window)
{
    SelectedRow row;
    return !IsConversionActive() && ReadSelectedRow(window, row);
}

BOOL PlayInDestinationFormat(HWND window)
{
    SelectedRow row;
    if (IsConversionActive() || !ReadSelectedRow(window, row))
        return TRUE;
    // Another preview ends first, as Stop would end it; when the device will
    // not let go, the message has been shown and nothing else happens.
    StopPreview(window);
    if (Preview.PreviewDevice != 0)
        return TRUE;
    if (!ConvertSample(row)) {
        RemoveSampleFile();
        ShowError(window, "Unable to convert audio file.");
        return TRUE;
    }
    PlayPreviewFile(window, SampleFile);
    if (Preview.PreviewDevice == 0)
        RemoveSampleFile();
    return TRUE;
}

bool IsSamplePlaying() { return SampleFile[0] != '\0'; }

void RemoveSampleFile()
{
    if (SampleFile[0] != '\0')
        DeleteFileA(SampleFile);
    SampleFile[0] = '\0';
}

DWORD SampleSourceBytes(const void* format, DWORD length, DWORD seconds)
{
    if (length < offsetof(WAVEFORMATEX, wBitsPerSample))
        return 0xFFFFFFFF;
    WAVEFORMATEX fields = {};
    memcpy(&fields, format, offsetof(WAVEFORMATEX, wBitsPerSample));
    if (fields.nBlockAlign == 0)
        return 0xFFFFFFFF;
    unsigned long long bytes = static_cast<unsigned long long>(fields.nAvgBytesPerSec) * seconds;
    bytes -= bytes % fields.nBlockAlign;
    if (bytes < fields.nBlockAlign)
        bytes = fields.nBlockAlign;
    return bytes < 0xFFFFFFFF ? DWORD(bytes) : 0xFFFFFFFF;
}
