// The sample of a row in its destination format.
#include "ui/destination_preview.h"
#include <commctrl.h>
#include <cstddef>
#include <cstring>
#include "settings/settings.h"
#include "engine/convert/convert_file.h"
#include "engine/format/sample_layout.h"
#include "res/resource.h"
#include "sources/leveling.h"
#include "sources/source_entry.h"
#include "ui/conversion_control.h"
#include "ui/preview.h"
#include "win/list_rows.h"
#include "win/path_size.h"
#include "win/user_prompts.h"

namespace {

struct SelectedRow {
    char Path[PathSize] = "";
    BYTE Source[MaxFormatBytes] = {};
    DWORD SourceLength = 0;
    BYTE Destination[MaxFormatBytes] = {};
    DWORD DestinationLength = 0;
};

// The one selected row, when it has a destination format.
bool ReadSelectedRow(HWND window, SelectedRow& row)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
        return false;
    int index = NextListRow(list, -1, LVNI_SELECTED);
    HGLOBAL entry = GetRowEntry(list, index);
    HGLOBAL destination = entry != nullptr ? GetDestinationHandle(entry) : nullptr;
    if (!IsLiveBlock(destination))
        return false;
    ReadRowText(list, index, 0, row.Path);
    return CopySourceFormat(entry, row.Source, sizeof(row.Source), &row.SourceLength) &&
           CopyFormatBlock(destination, row.Destination, sizeof(row.Destination), &row.DestinationLength);
}

bool ConvertSample(const SelectedRow& row, const char* sampleFile)
{
    ConvertOptions sample;
    sample.BlockSize = BlockSizeInBytes(Settings.BufferSize);
    sample.LowQuality = Settings.LowQuality != 0;
    sample.MaxSourceBytes = SampleSourceBytes(row.Source, row.SourceLength, SampleSeconds);
    // At the batch's level, measured over the whole file as the batch does.
    sample.Level = LevelingOf(Settings);
    return ConvertFile(row.Path, row.Source, row.SourceLength, sampleFile, row.Destination, row.DestinationLength,
                       nullptr, sample) == ConvertResult::Converted;
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
    const char* sampleFile = CreateSampleFile();
    if (sampleFile == nullptr || !ConvertSample(row, sampleFile)) {
        RemoveSampleFile();
        ShowError(window, "Unable to convert audio file.");
        return TRUE;
    }
    PlaySampleFile(window);
    return TRUE;
}

DWORD SampleSourceBytes(const void* format, DWORD length, DWORD seconds)
{
    if (length < offsetof(WAVEFORMATEX, wBitsPerSample))
        return 0xFFFFFFFF;
    WAVEFORMATEX fields = {};
    memcpy(&fields, format, offsetof(WAVEFORMATEX, wBitsPerSample));
    unsigned long long perSecond = fields.nAvgBytesPerSec;
    // The own reader's layouts count by their frames, whatever the data rate
    // field of a float or extensible header claims; a codec's format by its
    // blocks and data rate.
    LayoutReading reading = ReadSampleLayout(format, length);
    if (reading.Verdict == LayoutVerdict::Readable)
        perSecond = static_cast<unsigned long long>(reading.Layout.SamplesPerSecond) * fields.nBlockAlign;
    if (fields.nBlockAlign == 0)
        return 0xFFFFFFFF;
    unsigned long long bytes = perSecond * seconds;
    bytes -= bytes % fields.nBlockAlign;
    if (bytes < fields.nBlockAlign)
        bytes = fields.nBlockAlign;
    return bytes < 0xFFFFFFFF ? DWORD(bytes) : 0xFFFFFFFF;
}
