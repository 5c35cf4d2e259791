// Integer containers are moved to the top of a 32-bit word, so one scale
// serves every width and the padding bits are masked off in one step.
#include "engine/chain/sample_decode.h"
#include <cstdint>
#include <cstring>

namespace {

// 2^-31: a sample at the top of a 32-bit word, to full scale ±1.0.
constexpr float TopWordScale = 1.0f / 2147483648.0f;
// Far beyond full scale (+60 dB), yet far from where float arithmetic in
// the resampler's filters could overflow.
constexpr float LoudestFloat = 1000.0f;

template <size_t ContainerBytes>
void DecodeIntegers(const BYTE* bytes, size_t count, uint32_t validMask, float* out)
{
    for (size_t i = 0; i < count; ++i, bytes += ContainerBytes) {
        uint32_t word = 0;
        for (size_t b = 0; b < ContainerBytes; ++b)
            word |= uint32_t(bytes[b]) << (8 * (4 - ContainerBytes + b));
        // Eight-bit samples are unsigned: flipping the top bit makes them
        // two's complement like the wider ones.
        if constexpr (ContainerBytes == 1)
            word ^= 0x80000000u;
        out[i] = float(int32_t(word & validMask)) * TopWordScale;
    }
}

float Tamed(double value)
{
    if (!(value == value))
        return 0.0f;
    if (value > LoudestFloat)
        return LoudestFloat;
    if (value < -LoudestFloat)
        return -LoudestFloat;
    return float(value);
}

template <typename Stored>
void DecodeFloats(const BYTE* bytes, size_t count, float* out)
{
    for (size_t i = 0; i < count; ++i, bytes += sizeof(Stored)) {
        Stored value;
        memcpy(&value, bytes, sizeof(value));
        out[i] = Tamed(value);
    }
}

}  // namespace

void DecodeSamples(const SampleLayout& layout, const BYTE* bytes, size_t frames, float* out)
{
    size_t count = frames * layout.Channels;
    if (layout.Coding == SampleCoding::Float) {
        if (layout.ContainerBytes == 8)
            DecodeFloats<double>(bytes, count, out);
        else
            DecodeFloats<float>(bytes, count, out);
        return;
    }
    uint32_t validMask = layout.ValidBits >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> layout.ValidBits);
    switch (layout.ContainerBytes) {
    case 1: DecodeIntegers<1>(bytes, count, validMask, out); break;
    case 2: DecodeIntegers<2>(bytes, count, validMask, out); break;
    case 3: DecodeIntegers<3>(bytes, count, validMask, out); break;
    default: DecodeIntegers<4>(bytes, count, validMask, out); break;
    }
}
