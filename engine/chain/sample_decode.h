// Decoding the samples of a readable layout into floating point, full scale
// at ±1.0, the form every later stage of the sample chain works in.
#pragma once
#include <windows.h>
#include <cstddef>
#include "engine/format/sample_layout.h"

// Decodes frames whole frames (layout.FrameBytes each, little-endian) from
// bytes into out, interleaved as they stand: frames × layout.Channels values.
// Integer samples keep their valid bits only (the bits below them are
// padding); float samples that are not numbers become silence, and larger
// values than any sound holds are limited, so no later stage meets them.
void DecodeSamples(const SampleLayout& layout, const BYTE* bytes, size_t frames, float* out);
