// Downmix weights by speaker position; channels stand in the file in the
// order of the mask's bits, lowest first.
#include "engine/chain/channel_mix.h"
#include <bit>
#include <cstring>

namespace {

constexpr float MinusThreeDb = 0.70710678f;

struct SideWeights {
    float Left, Right;
};

// The SPEAKER_* bits, lowest first: front left, front right, front centre,
// low frequency, back left, back right, front left and right of centre,
// back centre, side left, side right, top centre, top front left, centre and
// right, top back left, centre and right.
constexpr SideWeights PositionWeights[18] = {
    {1, 0}, {0, 1}, {MinusThreeDb, MinusThreeDb}, {0, 0},
    {MinusThreeDb, 0}, {0, MinusThreeDb}, {1, 0}, {0, 1},
    {MinusThreeDb, MinusThreeDb}, {MinusThreeDb, 0}, {0, MinusThreeDb}, {MinusThreeDb, MinusThreeDb},
    {MinusThreeDb, 0}, {MinusThreeDb, MinusThreeDb}, {0, MinusThreeDb},
    {MinusThreeDb, 0}, {MinusThreeDb, MinusThreeDb}, {0, MinusThreeDb},
};

// Channels that the mask does not place (beyond its bits, or at a position
// without a name) count as a centre.
void PlanSurroundDownmix(ChannelMix& mix, DWORD channelMask)
{
    DWORD rest = channelMask;
    for (WORD channel = 0; channel < mix.SourceChannels; ++channel) {
        SideWeights weights = {MinusThreeDb, MinusThreeDb};
        if (rest != 0) {
            unsigned position = unsigned(std::countr_zero(rest));
            rest &= rest - 1;
            if (position < sizeof(PositionWeights) / sizeof(PositionWeights[0]))
                weights = PositionWeights[position];
        }
        mix.Weights[0][channel] = weights.Left;
        mix.Weights[1][channel] = weights.Right;
    }
    if (mix.DestinationChannels == 1)
        for (WORD channel = 0; channel < mix.SourceChannels; ++channel)
            mix.Weights[0][channel] = (mix.Weights[0][channel] + mix.Weights[1][channel]) / 2;
}

// Scales all weights alike so that the loudest destination channel, with
// every source channel at full scale in the same phase, stays within it.
void ScaleToFullScale(ChannelMix& mix)
{
    float loudest = 0;
    for (WORD out = 0; out < mix.DestinationChannels; ++out) {
        float sum = 0;
        for (WORD in = 0; in < mix.SourceChannels; ++in)
            sum += mix.Weights[out][in];
        if (sum > loudest)
            loudest = sum;
    }
    if (loudest > 1)
        for (WORD out = 0; out < mix.DestinationChannels; ++out)
            for (WORD in = 0; in < mix.SourceChannels; ++in)
                mix.Weights[out][in] /= loudest;
}

}  // namespace

std::optional<ChannelMix> PlanChannelMix(WORD sourceChannels, DWORD channelMask, WORD destinationChannels)
{
    if (sourceChannels == 0 || sourceChannels > MaxSampleChannels)
        return std::nullopt;
    ChannelMix mix;
    mix.SourceChannels = sourceChannels;
    mix.DestinationChannels = destinationChannels;
    if (destinationChannels == sourceChannels) {
        mix.PassThrough = true;
        return mix;
    }
    if (destinationChannels != 1 && destinationChannels != 2)
        return std::nullopt;
    if (sourceChannels > 2 && channelMask != 0) {
        PlanSurroundDownmix(mix, channelMask);
        ScaleToFullScale(mix);
        return mix;
    }
    for (WORD out = 0; out < destinationChannels; ++out)
        for (WORD in = 0; in < sourceChannels; ++in)
            mix.Weights[out][in] = 1.0f / sourceChannels;
    return mix;
}

void MixChannels(const ChannelMix& mix, const float* in, size_t frames, float* out)
{
    if (mix.PassThrough) {
        if (in != out)
            memmove(out, in, frames * mix.SourceChannels * sizeof(float));
        return;
    }
    for (size_t frame = 0; frame < frames; ++frame, in += mix.SourceChannels) {
        for (WORD destination = 0; destination < mix.DestinationChannels; ++destination) {
            float sum = 0;
            for (WORD source = 0; source < mix.SourceChannels; ++source)
                sum += mix.Weights[destination][source] * in[source];
            *out++ = sum;
        }
    }
}
