// Sample positions of a source moved to the destination's rate: cue points,
// loops, time references. Values in, values out; no window headers here.
#pragma once
#include <cstdint>

struct RateChange {
    uint32_t From = 0;    // the source's sample rate
    uint32_t To = 0;      // the destination's
    uint64_t Frames = 0;  // the frames the destination holds
};

// frames at rate from counted at rate to, rounded half up; the largest
// count when it does not fit. Unchanged when from is 0 (no rate to scale by).
uint64_t ScaleFrames(uint64_t frames, uint32_t from, uint32_t to);

// A position of the source scaled, and clamped to the destination's last
// frame: a marker or loop never points past the audio.
uint32_t ScalePosition(uint32_t position, const RateChange& change);

// A length of the source scaled, at most the largest 32-bit count.
uint32_t ScaleLength(uint32_t length, const RateChange& change);

// Nanoseconds per sample at rate, rounded: 45351 for 22,050 Hz.
uint32_t SamplePeriodNanoseconds(uint32_t rate);
