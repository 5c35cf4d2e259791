// Reading the list's rows for a batch.
#include "sources/batch_rows.h"
#include <commctrl.h>
#include "res/resource.h"
#include "sources/source_entry.h"

namespace {

constexpr int RowTextSize = 256;

// The formats of a row's SourceEntry and of its destination block, and where
// the part of its path that its destination keeps begins.
void ReadRowFormats(HGLOBAL entry, BatchRow& row)
{
    BYTE format[MaxKeptFormatBytes];
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
    char text[RowTextSize];
    for (int index = -1; (index = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(index), LVNI_ALL))) != -1;) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index;
        item.pszText = text;
        item.cchTextMax = RowTextSize;
        text[0] = '\0';
        // A row that does not answer is passed over, as it always was.
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            continue;
        text[RowTextSize - 1] = '\0';
        rows.emplace_back();
        rows.back().Path = text;
        ReadRowFormats(reinterpret_cast<HGLOBAL>(item.lParam), rows.back());
    }
    return rows;
}
