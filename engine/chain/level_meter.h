// The level of a conditioned signal, for bringing every file of a batch to
// one level: its peak, its active speech level by ITU-T P.56 method B, and
// the gain that a file gets from them. Values in, values out: no file, no
// window, no platform call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

enum class LevelingMode : uint8_t {
    AsRecorded,  // every file keeps its level
    Peak,        // the largest sample at the target
    Speech,      // the active speech level at the target
};

struct Leveling {
    LevelingMode Mode = LevelingMode::AsRecorded;
    uint32_t TargetTenths = 0;  // tenths of a dB below full scale
};

// Samples at full scale ±1.0, as the sample chain carries them.
class LevelMeter {
public:
    // The ladder of envelope thresholds, a factor of 2 apart, from the last
    // bit of a 16-bit word up to half of full scale.
    static constexpr int Thresholds = 15;

    // Starts a measurement of frames at rate (samples per second of each
    // channel) with channels interleaved.
    void Start(uint32_t rate, uint16_t channels);
    void Add(const float* samples, size_t frames);

    // The largest absolute sample so far.
    float Peak() const { return peak_; }
    // The active speech level in dB relative to full scale (a square wave
    // at full scale is 0 dB, a sine at full scale -3.01 dB); nothing when
    // the envelope never rose far enough above the ladder's rungs.
    std::optional<double> ActiveLevel() const;
    // The share of the frames that were active at the ladder's lowest rung
    // and, where there is an active level, at that level's threshold.
    double Activity() const;

private:
    double envelopeGain_ = 0;  // of the two smoothing stages
    uint32_t hangover_ = 0;    // frames
    uint16_t channels_ = 1;
    double first_ = 0, second_ = 0;  // the envelope's two stages
    double energy_ = 0;              // sum of the frames' mean squares
    uint64_t frames_ = 0;
    uint64_t active_[Thresholds] = {};
    uint32_t hang_[Thresholds] = {};
    float peak_ = 0;
};

// What a file gets from its measurement.
struct LevelDecision {
    double GainDb = 0;  // 0: the file keeps its level
    bool Kept = true;
    // The cap held the file more than 0.5 dB short of the speech level.
    bool Short = false;
};

// The gain for a file measured by meter. sourceBits are the valid bits of
// the source's samples (a file whose samples never rise above the noise of
// its last bit keeps its level), targetBits those of the PCM the chain
// delivers (the ceiling that the speech level may not push a sample past
// leaves room for its dither).
LevelDecision DecideLevel(const Leveling& leveling, const LevelMeter& meter, unsigned sourceBits,
                          unsigned targetBits);

// The linear factor of a gain in dB.
float GainFactor(double gainDb);
