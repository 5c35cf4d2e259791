// SourceEntry and FormatBlock records.
#include "sources/source_entry.h"
#include <commctrl.h>
#include <cstring>
#include "win/handles.h"
#include "win/locks.h"
#include "win/list_rows.h"

namespace {

bool ReadLength(const BYTE* block, SIZE_T blockSize, DWORD* length)
{
    if (blockSize < sizeof(DWORD))
        return false;
    memcpy(length, block, sizeof(DWORD));
    return *length <= blockSize - sizeof(DWORD);
}

bool CopyFormat(HGLOBAL block, void* buffer, DWORD capacity, DWORD* length)
{
    GlobalLockScope lock(block);
    if (!lock)
        return false;
    auto* bytes = static_cast<const BYTE*>(lock.Data());
    DWORD stored = 0;
    if (!ReadLength(bytes, GlobalSize(block), &stored) || stored > capacity)
        return false;
    memcpy(buffer, bytes + sizeof(DWORD), stored);
    *length = stored;
    return true;
}

BlockFailure FillBlock(GlobalMemory& block, const void* format, DWORD length, SIZE_T trailer)
{
    if (length > MaxFormatBytes)
        return BlockFailure::TooLong;
    // GHND zeroes the block: an entry's destination handle starts as none.
    block.Attach(GlobalAlloc(GHND, sizeof(DWORD) + length + trailer));
    if (!block)
        return BlockFailure::NoMemory;
    GlobalLockScope lock(block.Get());
    if (!lock)
        return BlockFailure::NoLock;
    auto* bytes = static_cast<BYTE*>(lock.Data());
    memcpy(bytes, &length, sizeof(DWORD));
    memcpy(bytes + sizeof(DWORD), format, length);
    return BlockFailure::None;
}

HGLOBAL CreateBlock(const void* format, DWORD length, SIZE_T trailer, BlockFailure* failure)
{
    GlobalMemory block;
    BlockFailure reason = FillBlock(block, format, length, trailer);
    if (failure != nullptr)
        *failure = reason;
    return reason == BlockFailure::None ? block.Detach() : nullptr;
}

// An entry's fields behind its source format: the destination handle, then
// where the path's part below its handed-over folder begins.
constexpr SIZE_T DestinationAt = 0;
constexpr SIZE_T TreeStartAt = sizeof(HGLOBAL);
constexpr SIZE_T EntryTrailerSize = sizeof(HGLOBAL) + sizeof(DWORD);

// Where a field behind the source format lies in an entry of size bytes;
// false when the entry is too small to hold it.
bool TrailerFieldOffset(const BYTE* bytes, SIZE_T size, SIZE_T fieldAt, SIZE_T fieldSize, SIZE_T* offset)
{
    DWORD length = 0;
    if (!ReadLength(bytes, size, &length) || size - sizeof(DWORD) - length < fieldAt + fieldSize)
        return false;
    *offset = sizeof(DWORD) + length + fieldAt;
    return true;
}

bool ReadTrailerField(HGLOBAL entry, SIZE_T fieldAt, void* value, SIZE_T fieldSize)
{
    GlobalLockScope lock(entry);
    if (!lock)
        return false;
    auto* bytes = static_cast<const BYTE*>(lock.Data());
    SIZE_T offset = 0;
    if (!TrailerFieldOffset(bytes, GlobalSize(entry), fieldAt, fieldSize, &offset))
        return false;
    memcpy(value, bytes + offset, fieldSize);
    return true;
}

bool WriteTrailerField(HGLOBAL entry, SIZE_T fieldAt, const void* value, SIZE_T fieldSize)
{
    GlobalLockScope lock(entry);
    if (!lock)
        return false;
    auto* bytes = static_cast<BYTE*>(lock.Data());
    SIZE_T offset = 0;
    if (!TrailerFieldOffset(bytes, GlobalSize(entry), fieldAt, fieldSize, &offset))
        return false;
    memcpy(bytes + offset, value, fieldSize);
    return true;
}

}  // namespace

HGLOBAL CreateSourceEntry(const void* format, DWORD length, BlockFailure* failure, DWORD treeStart)
{
    HGLOBAL entry = CreateBlock(format, length, EntryTrailerSize, failure);
    if (entry == nullptr || treeStart == 0 || WriteTrailerField(entry, TreeStartAt, &treeStart, sizeof(DWORD)))
        return entry;
    GlobalFree(entry);
    if (failure != nullptr)
        *failure = BlockFailure::NoLock;
    return nullptr;
}

HGLOBAL CreateFormatBlock(const void* format, DWORD length, BlockFailure* failure)
{
    return CreateBlock(format, length, 0, failure);
}

bool CopySourceFormat(HGLOBAL entry, void* buffer, DWORD capacity, DWORD* length)
{
    return CopyFormat(entry, buffer, capacity, length);
}

bool CopyFormatBlock(HGLOBAL block, void* buffer, DWORD capacity, DWORD* length)
{
    return CopyFormat(block, buffer, capacity, length);
}

bool ReadDestinationHandle(HGLOBAL entry, HGLOBAL* destination)
{
    return ReadTrailerField(entry, DestinationAt, destination, sizeof(HGLOBAL));
}

HGLOBAL GetDestinationHandle(HGLOBAL entry)
{
    HGLOBAL destination = nullptr;
    return ReadDestinationHandle(entry, &destination) ? destination : nullptr;
}

bool SetDestinationHandle(HGLOBAL entry, HGLOBAL destination)
{
    return WriteTrailerField(entry, DestinationAt, &destination, sizeof(HGLOBAL));
}

bool ReadTreeStart(HGLOBAL entry, DWORD* treeStart)
{
    return ReadTrailerField(entry, TreeStartAt, treeStart, sizeof(DWORD));
}

bool IsLiveBlock(HGLOBAL block)
{
    return block != nullptr && GlobalFlags(block) != GMEM_INVALID_HANDLE;
}

void FreeSourceEntry(HGLOBAL entry)
{
    if (entry == nullptr)
        return;
    if (HGLOBAL destination = GetDestinationHandle(entry))
        GlobalFree(destination);
    GlobalFree(entry);
}

HGLOBAL GetRowEntry(HWND list, int row)
{
    LPARAM entry = 0;
    return ReadRowData(list, row, &entry) ? reinterpret_cast<HGLOBAL>(entry) : nullptr;
}

int NextSelectedRow(HWND list, int after)
{
    return NextListRow(list, after, LVNI_SELECTED);
}
