// The batch conversion worker.
#include "engine/conversion_thread.h"
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "settings/settings.h"
#include "engine/conversion_state.h"
#include "engine/convert_file.h"
#include "engine/destination_path.h"
#include "win/handles.h"
#include "win/path_size.h"
#include "engine/progress.h"
#include "engine/progress_text.h"
#include "engine/wave_file.h"
#include "res/resource.h"
#include "win/app_messages.h"
#include "ui/main_window.h"
#include "win/user_prompts.h"
#include "ui/window_size.h"

namespace {

// What one cross-thread message costs (a quarter of a millisecond under
// Wine) is as much as converting a short file's audio, so the worker does not
// ask the list for each row: it asks the window's thread once for all of them.
bool FetchAllRows(HWND window, std::vector<BatchRow>& rows)
{
    return SendMessageA(window, WM_APP_COLLECT_ROWS, 0, reinterpret_cast<LPARAM>(&rows)) != 0;
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

// Sums the declared data sizes of the marked rows into TotalBytes and counts
// them in MarkedFiles; TotalBytes 0 means the size is not available.
void MeasureMarkedFiles(const std::vector<BatchRow>& rows)
{
    BatchStatistics.TotalBytes = 0;
    BatchStatistics.MarkedFiles = 0;
    for (const BatchRow& row : rows) {
        GlobalLockScope entryLock(row.Entry);
        EntryView entry;
        if (!entryLock || !ReadEntry(row.Entry, entryLock.Data(), entry))
            return;
        if (entry.Destination == nullptr || GlobalFlags(entry.Destination) == GMEM_INVALID_HANDLE)
            continue;
        DWORD dataSize = 0;
        if (!ReadDeclaredDataSize(row.Path.c_str(), &dataSize)) {
            BatchStatistics.TotalBytes = 0;
            return;
        }
        BatchStatistics.TotalBytes += dataSize;
        BatchStatistics.MarkedFiles += 1;
    }
}

// Walks the rows; returns the worker's exit code.
DWORD ConvertMarkedRows(HWND window)
{
    std::vector<BatchRow> rows;
    if (FetchAllRows(window, rows))
        MeasureMarkedFiles(rows);
    else
        BatchStatistics.TotalBytes = 0;
    if (BatchStatistics.TotalBytes == 0) {
        ShowError(window, "Unable to calculate size of all files marked for conversion.");
        return 1;
    }
    ResetProgressForBatch();
    ShowConversionSize(window);

    // The file line reaches the window with the figures, at their pace; a
    // message that stops the batch comes under the line of the file it
    // stopped at, so that line is shown first.
    CodecDrivers drivers;
    char info[ConvertInfoChars] = "";
    auto fail = [&](const char* text) {
        if (info[0] != '\0')
            SetDlgItemTextA(window, IDC_CONVERT_INFO, info);
        ShowError(window, text);
        return DWORD(1);
    };

    for (const BatchRow& row : rows) {
        char destination[PathSize];
        DestinationJoin joined =
            JoinDestinationPath(Settings.DestinationPath, row.Path.c_str(), destination, sizeof(destination));
        if (joined == DestinationJoin::NoBackslash)
            return fail("Invalid filename encountered.");

        GlobalLockScope entryLock(row.Entry);
        EntryView entry;
        if (!entryLock || !ReadEntry(row.Entry, entryLock.Data(), entry))
            return fail("Unable to lock memory of source format information.");
        if (entry.Destination == nullptr)
            continue;

        GlobalLockScope destinationLock(entry.Destination);
        if (!destinationLock)
            return fail("Unable to lock memory of destination  format information.");
        const auto* block = static_cast<const BYTE*>(destinationLock.Data());
        DWORD destinationLength = 0;
        memcpy(&destinationLength, block, sizeof(DWORD));
        if (destinationLength > GlobalSize(entry.Destination) - sizeof(DWORD))
            return fail("Unable to lock memory of destination  format information.");
        // Checked before anything is created, so no file is left behind.
        if (joined == DestinationJoin::TooLong)
            return fail("Unable to convert audio file: the destination path is too long.");

        // A Stop between two files holds the worker here.
        StandStillWhileSuspended();

        BatchStatistics.FilesStarted += 1;
        snprintf(info, sizeof(info), "Converting file %s (%lu of %lu) ...", row.Path.c_str(),
                 static_cast<unsigned long>(BatchStatistics.FilesStarted),
                 static_cast<unsigned long>(BatchStatistics.MarkedFiles));
        StartFileLine(info);

        ConvertResult result = ConvertFile(row.Path.c_str(), entry.Format, entry.Length, destination,
                                           block + sizeof(DWORD), destinationLength, &drivers);
        if (result == Converted)
            continue;
        if (result == Aborted)
            return 0;
        return fail("Unable to convert audio file.");
    }
    return 0;
}

}  // namespace

BOOL CollectBatchRows(HWND window, std::vector<BatchRow>& rows)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    rows.clear();
    rows.reserve(size_t(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    char text[PathSize];
    for (int index = -1; (index = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(index), LVNI_ALL))) != -1;) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index;
        item.pszText = text;
        item.cchTextMax = PathSize;
        text[0] = '\0';
        // A row that does not answer is passed over, as it always was.
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            continue;
        text[PathSize - 1] = '\0';
        rows.push_back({ text, reinterpret_cast<HGLOBAL>(item.lParam) });
    }
    return TRUE;
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
