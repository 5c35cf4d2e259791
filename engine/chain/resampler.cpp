// The owner of one libsoxr resampler.
#include "engine/chain/resampler.h"
#include <soxr.h>

Resampler::~Resampler()
{
    if (resampler_ != nullptr)
        soxr_delete(resampler_);
}

bool Resampler::Open(double inputRate, double outputRate, unsigned channels, ResampleQuality quality)
{
    if (resampler_ != nullptr) {
        soxr_delete(resampler_);
        resampler_ = nullptr;
    }
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    soxr_quality_spec_t recipe = soxr_quality_spec(quality == ResampleQuality::Quick ? SOXR_QQ : SOXR_VHQ, 0);
    soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    resampler_ = soxr_create(inputRate, outputRate, channels, &error, &io, &recipe, &runtime);
    if (error != nullptr && resampler_ != nullptr) {
        soxr_delete(resampler_);
        resampler_ = nullptr;
    }
    return resampler_ != nullptr;
}

// A non-null input of no frames lets the filter hand out what it holds;
// a null input would tell it that the input has ended.
bool Resampler::Process(const float* input, size_t inputFrames, size_t* framesTaken, float* output,
                        size_t outputRoom, size_t* framesMade)
{
    static const float none = 0;
    *framesTaken = 0;
    *framesMade = 0;
    if (resampler_ == nullptr)
        return false;
    return soxr_process(resampler_, input != nullptr ? input : &none, inputFrames, framesTaken, output,
                        outputRoom, framesMade) == nullptr;
}

bool Resampler::Flush(float* output, size_t outputRoom, size_t* framesMade)
{
    *framesMade = 0;
    if (resampler_ == nullptr)
        return false;
    return soxr_process(resampler_, nullptr, 0, nullptr, output, outputRoom, framesMade) == nullptr;
}
