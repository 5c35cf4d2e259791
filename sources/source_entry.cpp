// SourceEntry and FormatBlock records.
#include "sources/source_entry.h"
#include <commctrl.h>
#include <cstring>
#include "win/handles.h"
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
    if (length > MaxKeptFormatBytes)
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

}  // namespace

HGLOBAL CreateSourceEntry(const void* format, DWORD length, BlockFailure* failure)
{
    return CreateBlock(format, length, sizeof(HGLOBAL), failure);
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
    GlobalLockScope lock(entry);
    if (!lock)
        return false;
    auto* bytes = static_cast<const BYTE*>(lock.Data());
    DWORD length = 0;
    SIZE_T size = GlobalSize(entry);
    if (!ReadLength(bytes, size, &length) || size - sizeof(DWORD) - length < sizeof(HGLOBAL))
        return false;
    memcpy(destination, bytes + sizeof(DWORD) + length, sizeof(HGLOBAL));
    return true;
}

HGLOBAL GetDestinationHandle(HGLOBAL entry)
{
    HGLOBAL destination = nullptr;
    return ReadDestinationHandle(entry, &destination) ? destination : nullptr;
}

bool SetDestinationHandle(HGLOBAL entry, HGLOBAL destination)
{
    GlobalLockScope lock(entry);
    if (!lock)
        return false;
    auto* bytes = static_cast<BYTE*>(lock.Data());
    DWORD length = 0;
    SIZE_T size = GlobalSize(entry);
    if (!ReadLength(bytes, size, &length) || size - sizeof(DWORD) - length < sizeof(HGLOBAL))
        return false;
    memcpy(bytes + sizeof(DWORD) + length, &destination, sizeof(HGLOBAL));
    return true;
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
    return int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(after), MAKELPARAM(LVNI_SELECTED, 0)));
}
