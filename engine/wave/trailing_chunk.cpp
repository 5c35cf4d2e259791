// Writing a chunk behind a destination's audio.
#include "engine/wave/trailing_chunk.h"

bool TrailingChunk::Begin(HMMIO file, uint32_t id)
{
    file_ = file;
    size_ = 0;
    const uint32_t header[2] = {id, 0};
    return mmioWrite(file_, reinterpret_cast<const char*>(header), sizeof(header)) == sizeof(header);
}

bool TrailingChunk::Write(const void* bytes, DWORD count)
{
    if (count > MaxTrailingChunkBytes - size_)
        return false;
    size_ += count;
    return mmioWrite(file_, static_cast<const char*>(bytes), LONG(count)) == LONG(count);
}

bool TrailingChunk::End()
{
    const char pad = 0;
    const LONG padding = LONG(size_ & 1);
    if (padding != 0 && mmioWrite(file_, &pad, 1) != 1)
        return false;
    // Relative steps: the chunk may stand beyond 2 GB, which an absolute
    // position of the file services cannot name.
    const LONG back = LONG(size_) + padding + LONG(sizeof(size_));
    return mmioSeek(file_, -back, SEEK_CUR) != -1 &&
           mmioWrite(file_, reinterpret_cast<const char*>(&size_), sizeof(size_)) == sizeof(size_) &&
           mmioSeek(file_, back - LONG(sizeof(size_)), SEEK_CUR) != -1;
}
