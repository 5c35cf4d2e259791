// The last block of a block-coded source: editors end an ADPCM file with a
// block only partly filled, which a codec, taking whole blocks only, would
// leave unconverted. No window headers here.
#pragma once
#include <cstdint>

// The sample frames that the first bytes of a block hold, for the ADPCM
// formats whose layout says it (MS ADPCM: a 7-byte header per channel with
// two samples, then two samples a byte; IMA ADPCM: a 4-byte header per
// channel with one sample, then eight samples per 4 bytes of each channel),
// at most samplesPerBlock; 0 for other tags, whose partial block is dropped.
uint32_t PartialBlockFrames(uint16_t tag, uint16_t channels, uint32_t bytes, uint32_t samplesPerBlock);
