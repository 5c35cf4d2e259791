// The last stage of the sample chain: floating point samples to the PCM
// words an encoder takes, 16-bit signed or 8-bit unsigned, with triangular
// (TPDF) dither where bits are dropped and clipping at full scale.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

class WordLength {
public:
    // bits is 16 or 8 (any other count is taken as 16). With dither, the
    // noise comes from a generator started from seed, so a file converted
    // twice comes out the same. Every sample is multiplied by gain first.
    WordLength(WORD bits = 16, bool dither = false, uint64_t seed = 0, float gain = 1.0f);

    WORD Bits() const { return bits_; }
    bool Dithers() const { return dither_; }

    // Writes count samples of in (full scale ±1.0) as little-endian words
    // into out (count × Bits() / 8 bytes). Samples beyond full scale become
    // the largest word of their sign, never one of the other.
    void Write(const float* in, size_t count, BYTE* out);

private:
    // Two uniform values in [0, 1) whose difference is the dither, in steps
    // of the destination's least significant bit.
    float NextDither();

    WORD bits_;
    bool dither_;
    float scale_;  // full scale in words, times the gain
    uint64_t state_;
};

