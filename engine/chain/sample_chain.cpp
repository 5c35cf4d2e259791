// The stages of the sample chain in the order that costs least: channels
// are reduced before the resampler and multiplied after it, so the filter
// runs on the fewer of the two counts.
#include "engine/chain/sample_chain.h"
#include <algorithm>
#include <cstring>
#include <new>
#include "engine/chain/sample_decode.h"

namespace {

WORD RateChannels(const SampleLayout& source, const ChainTarget& target)
{
    return std::min(source.Channels, target.Channels);
}

}  // namespace

bool ChainReaches(const SampleLayout& source, const ChainTarget& target)
{
    if (target.Bits != 8 && target.Bits != 16)
        return false;
    if (target.SamplesPerSecond == 0 || source.SamplesPerSecond == 0 || source.FrameBytes == 0)
        return false;
    WORD middle = RateChannels(source, target);
    return PlanChannelMix(source.Channels, source.ChannelMask, middle) &&
           PlanChannelMix(middle, 0, target.Channels);
}

bool ChainDithers(const SampleLayout& source, const ChainTarget& target)
{
    bool averaged = source.Channels > target.Channels;
    bool resampled = source.SamplesPerSecond != target.SamplesPerSecond;
    return !FitsInBits(source, target.Bits) || resampled || averaged;
}

bool SampleChain::Open(const SampleLayout& source, const ChainTarget& target, const ChainOptions& options)
{
    if (!ChainReaches(source, target))
        return false;
    source_ = source;
    target_ = target;
    rateChannels_ = RateChannels(source, target);
    beforeRate_ = *PlanChannelMix(source.Channels, source.ChannelMask, rateChannels_);
    afterRate_ = *PlanChannelMix(rateChannels_, 0, target.Channels);
    resampling_ = source.SamplesPerSecond != target.SamplesPerSecond;
    if (resampling_ &&
        !resampler_.Open(source.SamplesPerSecond, target.SamplesPerSecond, rateChannels_,
                         options.LowQuality ? ResampleQuality::Quick : ResampleQuality::VeryHigh))
        return false;
    // Any gain but 1 leaves fractions of the last bit, as a wider source does.
    const bool dither = ChainDithers(source, target) || options.Gain != 1.0f;
    wordLength_ = WordLength(target.Bits, dither, options.DitherSeed, options.Gain);
    meter_ = options.Meter;
    if (meter_ != nullptr)
        meter_->Start(target.SamplesPerSecond, target.Channels);
    destinationFrameBytes_ = WORD(target.Channels * target.Bits / 8);
    try {
        decoded_.assign(SliceFrames * std::max(source.Channels, target.Channels), 0.0f);
        staged_.assign(SliceFrames * rateChannels_, 0.0f);
        resampled_.assign(resampling_ ? SliceFrames * rateChannels_ : 0, 0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    stagedFirst_ = stagedEnd_ = 0;
    pending_ = nullptr;
    pendingBytes_ = carriedBytes_ = 0;
    finishing_ = false;
    return true;
}

void SampleChain::Put(const BYTE* bytes, DWORD count)
{
    pending_ = bytes;
    pendingBytes_ = count;
    if (carriedBytes_ == 0 || count == 0)
        return;
    DWORD missing = std::min<DWORD>(source_.FrameBytes - carriedBytes_, count);
    memcpy(carried_ + carriedBytes_, bytes, missing);
    carriedBytes_ += missing;
    pending_ += missing;
    pendingBytes_ -= missing;
}

void SampleChain::Finish()
{
    finishing_ = true;
}

// Decodes up to maxFrames frames of what was put, a completed split frame
// first, and brings them to the rate stage's channels in staged_. The
// caller's bytes short of a frame are kept for the next Put, so once
// nothing more can be staged the chain holds no pointer into them.
size_t SampleChain::Stage(size_t maxFrames)
{
    size_t frames = 0;
    if (carriedBytes_ == source_.FrameBytes && maxFrames > 0) {
        DecodeSamples(source_, carried_, 1, decoded_.data());
        carriedBytes_ = 0;
        frames = 1;
    }
    size_t whole = std::min<size_t>(maxFrames - frames, pendingBytes_ / source_.FrameBytes);
    DecodeSamples(source_, pending_, whole, decoded_.data() + frames * source_.Channels);
    pending_ += whole * source_.FrameBytes;
    pendingBytes_ -= DWORD(whole * source_.FrameBytes);
    frames += whole;
    if (pendingBytes_ < source_.FrameBytes && carriedBytes_ == 0) {
        memcpy(carried_, pending_, pendingBytes_);
        carriedBytes_ = pendingBytes_;
        pendingBytes_ = 0;
    }
    MixChannels(beforeRate_, decoded_.data(), frames, staged_.data());
    stagedFirst_ = 0;
    stagedEnd_ = frames;
    return frames;
}

// The last stages: channels multiplied, words written.
DWORD SampleChain::Emit(const float* samples, size_t frames, BYTE* out)
{
    if (!afterRate_.PassThrough) {
        MixChannels(afterRate_, samples, frames, decoded_.data());
        samples = decoded_.data();
    }
    // A measuring chain has no use for its words: the meter is its output.
    if (meter_ != nullptr)
        meter_->Add(samples, frames);
    else
        wordLength_.Write(samples, frames * target_.Channels, out);
    return DWORD(frames * destinationFrameBytes_);
}

bool SampleChain::Take(BYTE* out, DWORD room, DWORD* made)
{
    *made = 0;
    if (destinationFrameBytes_ == 0)
        return false;
    size_t roomFrames = std::min<size_t>(room / destinationFrameBytes_, SliceFrames);
    if (roomFrames == 0)
        return true;
    if (resampling_)
        return TakeResampled(roomFrames, out, made);
    size_t frames = Stage(roomFrames);
    *made = Emit(staged_.data(), frames, out);
    return true;
}

// The filter gives nothing for its first input and keeps some input back
// from every call, so the staged frames are fed on until it gives some, or
// until all that was put has gone in.
bool SampleChain::TakeResampled(size_t roomFrames, BYTE* out, DWORD* made)
{
    for (;;) {
        if (stagedFirst_ == stagedEnd_)
            Stage(SliceFrames);
        size_t taken = 0, resampled = 0;
        if (stagedFirst_ < stagedEnd_) {
            const float* first = staged_.data() + stagedFirst_ * rateChannels_;
            if (!resampler_.Process(first, stagedEnd_ - stagedFirst_, &taken, resampled_.data(), roomFrames,
                                    &resampled))
                return false;
            if (taken == 0 && resampled == 0)
                return false;
            stagedFirst_ += taken;
        } else if (finishing_) {
            if (!resampler_.Flush(resampled_.data(), roomFrames, &resampled))
                return false;
            if (resampled == 0)
                return true;
        } else {
            return true;
        }
        if (resampled > 0) {
            *made = Emit(resampled_.data(), resampled, out);
            return true;
        }
    }
}
