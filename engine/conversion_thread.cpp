// The batch conversion worker.
#include "engine/conversion_thread.h"
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/convert_file.h"
#include "engine/destination_path.h"
#include "engine/handles.h"
#include "engine/progress.h"
#include "engine/wave_file.h"
#include "res/resource.h"
#include "ui/app_messages.h"
#include "ui/main_window.h"
#include "ui/user_prompts.h"
#include "ui/window_size.h"

namespace {

constexpr int RowTextSize = 256;

struct Row {
    char Text[RowTextSize];
    HGLOBAL Entry;
};

// The rows are read through the list control, on the window's thread.
int NextRow(HWND window, int previous)
{
    return int(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETNEXTITEM, WPARAM(previous), LVNI_ALL));
}

bool FetchRow(HWND window, int index, Row& row)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = row.Text;
    item.cchTextMax = RowTextSize;
    row.Text[0] = '\0';
    if (!SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    row.Text[RowTextSize - 1] = '\0';
    row.Entry = reinterpret_cast<HGLOBAL>(item.lParam);
    return true;
}

// A locked SourceEntry: the source format and the destination handle behind
// it, checked against the block's size before anything is read.
struct EntryView {
    const BYTE* Format = nullptr;
    DWORD Length = 0;
    HGLOBAL Destination = nullptr;
};

bool ReadEntry(HGLOBAL entry, const void* data, EntryView& view)
{
    SIZE_T size = GlobalSize(entry);
    auto* bytes = static_cast<const BYTE*>(data);
    DWORD length = 0;
    if (size < sizeof(DWORD))
        return false;
    memcpy(&length, bytes, sizeof(DWORD));
    if (length > size - sizeof(DWORD) || size - sizeof(DWORD) - length < sizeof(HGLOBAL))
        return false;
    view.Format = bytes + sizeof(DWORD);
    view.Length = length;
    memcpy(&view.Destination, bytes + sizeof(DWORD) + length, sizeof(HGLOBAL));
    return true;
}

void ShowError(HWND window, const char* text) { ShowMessage(window, text, "Error", MB_OK | MB_ICONHAND); }

// Walks the rows; returns the worker's exit code.
DWORD ConvertMarkedRows(HWND window)
{
    MeasureMarkedFiles(window);
    if (BatchStatistics.TotalBytes == 0) {
        ShowError(window, "Unable to calculate size of all files marked for conversion.");
        return 1;
    }
    ResetProgressForBatch();
    ShowConversionSize(window);

    Row row;
    for (int index = NextRow(window, -1); index != -1; index = NextRow(window, index)) {
        if (!FetchRow(window, index, row))
            continue;

        char destination[RowTextSize];
        DestinationJoin joined =
            JoinDestinationPath(Settings.DestinationPath, row.Text, destination, sizeof(destination));
        if (joined == DestinationJoin::NoBackslash) {
            ShowError(window, "Invalid filename encountered.");
            return 1;
        }

        GlobalLockScope entryLock(row.Entry);
        EntryView entry;
        if (!entryLock || !ReadEntry(row.Entry, entryLock.Data(), entry)) {
            ShowError(window, "Unable to lock memory of source format information.");
            return 1;
        }
        if (entry.Destination == nullptr)
            continue;

        GlobalLockScope destinationLock(entry.Destination);
        if (!destinationLock) {
            ShowError(window, "Unable to lock memory of destination  format information.");
            return 1;
        }
        const auto* block = static_cast<const BYTE*>(destinationLock.Data());
        DWORD destinationLength = 0;
        memcpy(&destinationLength, block, sizeof(DWORD));
        if (destinationLength > GlobalSize(entry.Destination) - sizeof(DWORD)) {
            ShowError(window, "Unable to lock memory of destination  format information.");
            return 1;
        }
        // Checked before anything is created, so no file is left behind.
        if (joined == DestinationJoin::TooLong) {
            ShowError(window, "Unable to convert audio file: the destination path is too long.");
            return 1;
        }

        // A Stop between two files holds the worker here.
        StandStillWhileSuspended();

        BatchStatistics.FilesStarted += 1;
        char info[RowTextSize + 64];
        snprintf(info, sizeof(info), "Converting file %s (%lu of %lu) ...", row.Text,
                 static_cast<unsigned long>(BatchStatistics.FilesStarted),
                 static_cast<unsigned long>(BatchStatistics.MarkedFiles));
        SetDlgItemTextA(window, IDC_CONVERT_INFO, info);

        ConvertResult result = ConvertFile(row.Text, entry.Format, entry.Length, destination,
                                           block + sizeof(DWORD), destinationLength);
        if (result == Converted)
            continue;
        if (result == Aborted)
            return 0;
        ShowError(window, "Unable to convert audio file.");
        return 1;
    }
    return 0;
}

}  // namespace

void MeasureMarkedFiles(HWND window)
{
    BatchStatistics.TotalBytes = 0;
    BatchStatistics.MarkedFiles = 0;
    Row row;
    for (int index = NextRow(window, -1); index != -1; index = NextRow(window, index)) {
        if (!FetchRow(window, index, row))
            return;
        GlobalLockScope entryLock(row.Entry);
        EntryView entry;
        if (!entryLock || !ReadEntry(row.Entry, entryLock.Data(), entry))
            return;
        if (entry.Destination == nullptr || GlobalFlags(entry.Destination) == GMEM_INVALID_HANDLE)
            continue;
        WaveReader reader;
        if (!OpenWaveData(row.Text, reader)) {
            BatchStatistics.TotalBytes = 0;
            return;
        }
        BatchStatistics.TotalBytes += reader.DataSize;
        BatchStatistics.MarkedFiles += 1;
    }
}

DWORD WINAPI ConversionThread(LPVOID)
{
    HWND window = MainDialog;
    DWORD exitCode = ConvertMarkedRows(window);
    // Everything the window's thread may still use (the handles, the state,
    // the controls) is released there once this thread has ended.
    PostMessageA(window, WM_APP_CONVERSION_ENDED, exitCode, 0);
    return exitCode;
}
