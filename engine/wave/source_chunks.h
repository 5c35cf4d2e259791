// The chunks of a source's RIFF "WAVE" form, found and read through a handle
// of their own that lets the converter's handle deny writing, in 64 bits
// throughout: what stands behind audio of more than 2 GB is reached too.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "win/handles.h"

struct SourceChunk {
    uint32_t Id = 0;
    uint32_t ListType = 0;  // the form type of a "LIST", else 0
    uint64_t Offset = 0;    // of the chunk's data
    uint32_t Size = 0;      // of its data, without the pad byte
};

class SourceChunks {
public:
    // Opens the source for reading. False when it cannot be opened.
    bool Open(const char* path);

    // The chunks of the first RIFF form of type "WAVE", in their order. The
    // list ends before the first chunk that runs past the end of the form or
    // of the file (whichever comes first): it, and whatever its size would
    // step over, cannot be found.
    std::vector<SourceChunk> List();

    // Reads count bytes from offset; false unless all of them were read.
    bool ReadAt(uint64_t offset, void* buffer, DWORD count);

private:
    bool ReadHeader(uint64_t offset, SourceChunk& chunk);

    KernelHandle file_;
    uint64_t size_ = 0;
};

// Where the chunk after one of size bytes whose data starts at offset
// begins: the data rounded up to an even length.
constexpr uint64_t NextChunkAt(uint64_t offset, uint32_t size)
{
    return offset + ((uint64_t(size) + 1) & ~uint64_t(1));
}
