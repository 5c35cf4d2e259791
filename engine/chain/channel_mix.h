// Bringing the channels of a source to the count of a destination: the
// average for mono, both sides alike from mono, the standard downmix of
// surround layouts named by a channel mask.
#pragma once
#include <windows.h>
#include <cstddef>
#include <optional>
#include "engine/format/sample_layout.h"

// Each destination channel as a weighted sum of the source channels.
struct ChannelMix {
    WORD SourceChannels = 0;
    WORD DestinationChannels = 0;
    bool PassThrough = false;  // equal counts: the samples go through untouched
    float Weights[2][MaxSampleChannels] = {};  // [destination][source]
};

// The mix from sourceChannels (1 to MaxSampleChannels; channelMask as the
// format gives it, 0 for none) to destinationChannels, which is 1 or 2, or
// equal to sourceChannels. Mono from several channels is their average; two
// channels from one carry it on both sides. From more than two channels with
// a mask, the downmix of ITU-R BS.775 (centre and surrounds at -3 dB into
// their side, the low-frequency channel left out), for mono the average of
// its two sides, scaled so that no sum can exceed full scale; without a mask
// every destination channel is the average of all. Nothing for other counts.
std::optional<ChannelMix> PlanChannelMix(WORD sourceChannels, DWORD channelMask, WORD destinationChannels);

// Mixes frames interleaved frames of in into out (frames ×
// DestinationChannels values). out may not overlap in, unless PassThrough.
void MixChannels(const ChannelMix& mix, const float* in, size_t frames, float* out);
