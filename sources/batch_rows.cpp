// Reading the list's rows for a batch.
#include "sources/batch_rows.h"
#include <commctrl.h>
#include "res/resource.h"
#include "sources/source_entry.h"
#include "win/list_rows.h"
#include "win/path_size.h"

namespace {

// The formats of a row's SourceEntry and of its destination block, and where
// the part of its path that its destination keeps begins.
void ReadRowFormats(HGLOBAL entry, BatchRow& row)
{
    BYTE format[MaxFormatBytes];
    DWORD length = 0;
    HGLOBAL destination = nullptr;
    if (!ReadDestinationHandle(entry, &destination) || !ReadTreeStart(entry, &row.TreeStart) ||
        !CopySourceFormat(entry, format, sizeof(format), &length)) {
        row.Formats = RowFormats::SourceUnreadable;
        return;
    }
    row.SourceFormat.assign(format, format + length);
    row.Marked = destination != nullptr;
    if (!row.Marked)
        return;
    if (!IsLiveBlock(destination) || !CopyFormatBlock(destination, format, sizeof(format), &length)) {
        row.Formats = RowFormats::DestinationUnreadable;
        return;
    }
    row.DestinationFormat.assign(format, format + length);
}

}  // namespace

std::vector<BatchRow> CollectBatchRows(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    std::vector<BatchRow> rows;
    rows.reserve(size_t(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    char text[PathSize];
    for (int index = -1; (index = NextListRow(list, index)) != -1;) {
        LPARAM data = 0;
        // A row that does not answer is passed over.
        if (!ReadRowText(list, index, 0, text) || !ReadRowData(list, index, &data))
            continue;
        rows.emplace_back();
        rows.back().Path = text;
        ReadRowFormats(reinterpret_cast<HGLOBAL>(data), rows.back());
    }
    return rows;
}
