// One file's way from its source samples to the PCM of its destination:
// decoding, channels, rate and word length, streamed block by block. The
// memory it holds is fixed when it opens, whatever the length of the file.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "engine/chain/channel_mix.h"
#include "engine/chain/level_meter.h"
#include "engine/chain/resampler.h"
#include "engine/chain/word_length.h"
#include "engine/format/sample_layout.h"

// The PCM the chain delivers: what a PCM destination holds, or what the
// destination's encoder takes.
struct ChainTarget {
    DWORD SamplesPerSecond = 0;
    WORD Channels = 0;  // 1 or 2, or the source's own count
    WORD Bits = 16;     // 16 (signed) or 8 (unsigned)
};

struct ChainOptions {
    bool LowQuality = false;  // the resampler's quick recipe instead of its best
    // Starts the dither's generator: the same seed, the same output.
    uint64_t DitherSeed = 0x746F6E76656C6B61ull;
    // The one gain of a file brought to a level, applied right before the
    // word length, so the dither follows it.
    float Gain = 1.0f;
    // Hears every sample that reaches the word length, before the gain. A
    // chain with a meter only measures: Take counts the bytes it would make
    // but writes none of them.
    LevelMeter* Meter = nullptr;
};

// Whether the chain can bring source to target: channel counts it can mix
// between, 8 or 16 bits, a rate.
bool ChainReaches(const SampleLayout& source, const ChainTarget& target);

// Whether the chain dithers on the way: whenever the samples reaching the
// last stage carry more bits than the target's (wider or float samples, a
// change of rate, channels averaged).
bool ChainDithers(const SampleLayout& source, const ChainTarget& target);

// How the chain is used for one file:
//     chain.Open(layout, target, options);
//     for each block read:  chain.Put(block, read);  Take until it makes 0
//     at the end:           chain.Finish();          Take until it makes 0
class SampleChain {
public:
    // Frames the chain decodes and resamples at once: its own buffers hold
    // this many frames of every stage.
    static constexpr size_t SliceFrames = 4096;

    SampleChain() = default;
    SampleChain(const SampleChain&) = delete;
    SampleChain& operator=(const SampleChain&) = delete;

    // False when the chain cannot reach target from source, or the resampler
    // or the buffers cannot be had.
    bool Open(const SampleLayout& source, const ChainTarget& target, const ChainOptions& options = {});

    WORD DestinationFrameBytes() const { return destinationFrameBytes_; }

    // Hands over the next count bytes of the source's audio data, any
    // number: a frame split between two blocks is put together. The bytes
    // are read by the Takes that follow, so they must stay in place until
    // Take makes 0.
    void Put(const BYTE* bytes, DWORD count);

    // Tells the chain that the audio has ended: the Takes that follow also
    // deliver what the resampler still holds. A last incomplete frame is
    // dropped.
    void Finish();

    // Writes up to room bytes of destination PCM, whole frames, into out and
    // sets made to their count; made is 0 when all that was put (and after
    // Finish, everything) has come out. room should hold one frame at least.
    // False when the resampler fails.
    bool Take(BYTE* out, DWORD room, DWORD* made);

private:
    size_t Stage(size_t maxFrames);
    bool TakeResampled(size_t roomFrames, BYTE* out, DWORD* made);
    DWORD Emit(const float* samples, size_t frames, BYTE* out);

    SampleLayout source_;
    ChainTarget target_;
    ChannelMix beforeRate_;  // down to the fewer channels, before the resampler
    ChannelMix afterRate_;   // up to more channels, after it
    WORD rateChannels_ = 0;
    bool resampling_ = false;
    Resampler resampler_;
    WordLength wordLength_;
    LevelMeter* meter_ = nullptr;
    WORD destinationFrameBytes_ = 0;

    std::vector<float> decoded_;    // SliceFrames of the wider side's channels
    std::vector<float> staged_;     // SliceFrames at the rate stage's channels
    std::vector<float> resampled_;  // SliceFrames at the rate stage's channels
    size_t stagedFirst_ = 0;
    size_t stagedEnd_ = 0;

    const BYTE* pending_ = nullptr;  // the caller's bytes not yet decoded
    DWORD pendingBytes_ = 0;
    BYTE carried_[MaxSampleChannels * 8] = {};  // the start of a split frame
    DWORD carriedBytes_ = 0;
    bool finishing_ = false;
};
