// Samples held by a partly filled ADPCM block.
#include "engine/convert/partial_block.h"

namespace {

constexpr uint16_t TagMsAdpcm = 2;
constexpr uint16_t TagImaAdpcm = 0x11;

}  // namespace

uint32_t PartialBlockFrames(uint16_t tag, uint16_t channels, uint32_t bytes, uint32_t samplesPerBlock)
{
    if (channels == 0)
        return 0;
    uint32_t frames = 0;
    if (tag == TagMsAdpcm && bytes >= 7u * channels)
        frames = 2 + (bytes - 7u * channels) * 2 / channels;
    else if (tag == TagImaAdpcm && bytes >= 4u * channels)
        frames = 1 + (bytes - 4u * channels) / (4u * channels) * 8;
    return frames < samplesPerBlock ? frames : samplesPerBlock;
}
