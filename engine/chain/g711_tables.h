// G.711 u-law and A-law: each byte stands for one 16-bit sample, so the
// program decodes them itself by table, at any rate and channel count,
// rather than through a codec that takes only some rates.
#pragma once
#include <cstdint>

// The 16-bit linear sample a u-law or A-law byte stands for, as the
// standard's reference decoder gives it (u-law to 14 bits, A-law to 13,
// both scaled to the top of 16).
int16_t MuLawSample(uint8_t coded);
int16_t ALawSample(uint8_t coded);
