// Scaling sample positions between rates, exactly in 64 bits.
#include "engine/metadata/frame_scale.h"

uint64_t ScaleFrames(uint64_t frames, uint32_t from, uint32_t to)
{
    if (from == 0)
        return frames;
    // Whole periods of from and the rest apart, so no product passes 64
    // bits: rest * to stays below from * to, and half of from fits beside it.
    const uint64_t whole = frames / from, rest = frames % from;
    const uint64_t part = (rest * to + from / 2) / from;
    if (to != 0 && whole > (UINT64_MAX - part) / to)
        return UINT64_MAX;
    return whole * to + part;
}

uint32_t ScalePosition(uint32_t position, const RateChange& change)
{
    const uint64_t last = change.Frames > 0 ? change.Frames - 1 : 0;
    const uint64_t scaled = ScaleFrames(position, change.From, change.To);
    return uint32_t(scaled < last ? scaled : last);
}

uint32_t ScaleLength(uint32_t length, const RateChange& change)
{
    const uint64_t scaled = ScaleFrames(length, change.From, change.To);
    return scaled < UINT32_MAX ? uint32_t(scaled) : UINT32_MAX;
}

uint32_t SamplePeriodNanoseconds(uint32_t rate)
{
    return rate == 0 ? 0 : uint32_t((1000000000ull + rate / 2) / rate);
}
