// RIFF layout arithmetic.
#include "engine/wave/riff_layout.h"

namespace {

constexpr uint64_t RoundedUpToEven(uint64_t count) { return (count + 1) & ~uint64_t(1); }

constexpr uint64_t FormTypeBytes = 4;
constexpr uint64_t ChunkHeaderBytes = 8;

}  // namespace

uint64_t RiffFormSize(uint64_t formatLength, uint64_t audioBytes, bool factChunk)
{
    return FormTypeBytes + ChunkHeaderBytes + RoundedUpToEven(formatLength) + (factChunk ? FactChunkBytes : 0) +
           ChunkHeaderBytes + RoundedUpToEven(audioBytes);
}

uint64_t MaxAudioBytes(uint64_t formatLength, bool factChunk)
{
    uint64_t fixed = RiffFormSize(formatLength, 0, factChunk);
    if (fixed > MaxRiffSize)
        return 0;
    // An odd count takes a pad byte, so the room is used up to an even count.
    return (MaxRiffSize - fixed) & ~uint64_t(1);
}
