// The records that travel with the rows of the source file list, in movable
// global memory: a row's SourceEntry (the source format as a format block,
// then the handle of the row's own destination format block) and the
// destination FormatBlock (its length, then the format bytes). Behind the
// destination handle an entry keeps, as a u32, where the part of the row's
// path below the folder it was handed over in begins (0: added by itself).
// Only handles are kept; every access locks, copies and unlocks within the
// call.
#pragma once
#include <windows.h>
#include "engine/format/format_size.h"

// Why a new record could not be made: its format is longer than
// MaxFormatBytes, its memory could not be had or not be locked.
enum class BlockFailure { None, TooLong, NoMemory, NoLock };

// A new entry holding the source format, no destination and the start of its
// path's part below the handed-over folder; nullptr, with the reason in
// failure when one is given, when it cannot be made.
HGLOBAL CreateSourceEntry(const void* format, DWORD length, BlockFailure* failure = nullptr, DWORD treeStart = 0);

// A new destination format block; nullptr on failure, as above.
HGLOBAL CreateFormatBlock(const void* format, DWORD length, BlockFailure* failure = nullptr);

// Copies the source format of an entry (or the format of a format block) into
// buffer; false when the block cannot be locked or the format does not fit.
bool CopySourceFormat(HGLOBAL entry, void* buffer, DWORD capacity, DWORD* length);
bool CopyFormatBlock(HGLOBAL block, void* buffer, DWORD capacity, DWORD* length);

// The destination handle of an entry (nullptr when it has none or the entry
// cannot be locked), and its replacement. Setting does not free the old one.
HGLOBAL GetDestinationHandle(HGLOBAL entry);
bool SetDestinationHandle(HGLOBAL entry, HGLOBAL destination);
// The same read, telling a handle of 0 apart from an entry that cannot be
// locked or read (false).
bool ReadDestinationHandle(HGLOBAL entry, HGLOBAL* destination);

// Where the part of the row's path below its handed-over folder begins: the
// byte after that folder's backslash, 0 for a file added by itself. False
// when the entry cannot be locked or read.
bool ReadTreeStart(HGLOBAL entry, DWORD* treeStart);

// A handle that is set and still names a live block.
bool IsLiveBlock(HGLOBAL block);

// Frees an entry together with the destination block it owns.
void FreeSourceEntry(HGLOBAL entry);

// The item data of a list row: its entry's handle; nullptr on failure.
HGLOBAL GetRowEntry(HWND list, int row);

// The next selected row after the given one (-1: the first); -1 when there
// is none.
int NextSelectedRow(HWND list, int after);
