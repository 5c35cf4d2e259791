// A chunk that a destination carries behind its audio, written piece by
// piece where the writer stands: its header first, its size fixed at its
// end, when the length is known, and the pad byte after odd data.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>

// The most data one trailing chunk may hold: its size is fixed by stepping
// back over it, which the file services do in steps of a signed 32 bits.
constexpr uint32_t MaxTrailingChunkBytes = 0x7FFFFF00u;

class TrailingChunk {
public:
    // Writes the header of a chunk of code id at the writer's position.
    bool Begin(HMMIO file, uint32_t id);
    // Appends to its data; false when not all was written or the chunk
    // would pass MaxTrailingChunkBytes.
    bool Write(const void* bytes, DWORD count);
    // The pad byte after odd data, and the size field as the data came out;
    // the writer stands behind the chunk again.
    bool End();

private:
    HMMIO file_ = nullptr;
    uint32_t size_ = 0;
};
