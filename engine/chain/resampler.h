// The rate stage of the sample chain: libsoxr, streaming, on interleaved
// float samples, owned for the length of one file.
#pragma once
#include <cstddef>

struct soxr;

enum class ResampleQuality {
    VeryHigh,  // soxr's very-high-quality recipe: 28-bit precision, linear phase
    Quick,     // soxr's quick recipe (cubic interpolation), when low quality is asked
};

class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Prepares the conversion from inputRate to outputRate for channels
    // interleaved channels. False when the library refuses it (it reports
    // nothing more of use to the user).
    bool Open(double inputRate, double outputRate, unsigned channels, ResampleQuality quality);

    // Takes up to inputFrames frames of input, as many as room for
    // outputRoom frames of output calls for, and writes what is ready into
    // output. The filter holds back the first frames until enough input has
    // come; they come out later or with Flush. False on a failure.
    bool Process(const float* input, size_t inputFrames, size_t* framesTaken, float* output,
                 size_t outputRoom, size_t* framesMade);

    // After the last input: writes up to outputRoom frames of what the
    // filter still holds; called again until it makes none.
    bool Flush(float* output, size_t outputRoom, size_t* framesMade);

private:
    soxr* resampler_ = nullptr;
};
