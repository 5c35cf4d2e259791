// Requantising to 16 or 8 bits. Samples that fit come back exactly: the
// decoders scale by powers of two, so x × 2^(bits-1) is the integer again.
#include "engine/chain/word_length.h"
#include <cmath>

namespace {

// Knuth's MMIX multiplier and increment: a 64-bit generator whose top bits
// are ample for dither, cheap and the same on every machine.
constexpr uint64_t Multiplier = 6364136223846793005ull;
constexpr uint64_t Increment = 1442695040888963407ull;
constexpr float SixteenBitsScale = 1.0f / 65536.0f;

}  // namespace

WordLength::WordLength(WORD bits, bool dither, uint64_t seed, float gain)
    : bits_(bits == 8 ? 8 : 16), dither_(dither), scale_((bits == 8 ? 128.0f : 32768.0f) * gain), state_(seed)
{
}

float WordLength::NextDither()
{
    state_ = state_ * Multiplier + Increment;
    uint32_t high = uint32_t(state_ >> 32);
    float first = float(high >> 16) * SixteenBitsScale;
    float second = float(high & 0xFFFF) * SixteenBitsScale;
    return first - second;
}

void WordLength::Write(const float* in, size_t count, BYTE* out)
{
    const float full = bits_ == 8 ? 128.0f : 32768.0f;
    const float lowest = -full, highest = full - 1;
    for (size_t i = 0; i < count; ++i) {
        float word = in[i] * scale_;
        if (dither_)
            word += NextDither();
        // Limited before rounding, so no value reaches a conversion that
        // could wrap; a value that is not a number ends up at the bottom.
        if (!(word >= lowest))
            word = lowest;
        else if (word > highest)
            word = highest;
        long rounded = std::lrint(word);
        if (bits_ == 8) {
            *out++ = BYTE(rounded + 128);
        } else {
            *out++ = BYTE(rounded & 0xFF);
            *out++ = BYTE((rounded >> 8) & 0xFF);
        }
    }
}
