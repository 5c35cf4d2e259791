// The peak and the active speech level (ITU-T P.56 method B) of a signal.
#include "engine/chain/level_meter.h"
#include <cmath>

namespace {

constexpr double TimeConstant = 0.03;  // seconds, of each smoothing stage
constexpr double Hangover = 0.2;       // seconds an envelope stays active after it fell
constexpr double MarginDb = 15.9;      // of the active level above its threshold
constexpr double SilenceDb = -70.0;    // below it, nothing counts as speech
constexpr double CeilingDb = -1.0;     // no sample passes it for the speech level

// Rung j of the ladder: 2^(j - 15), the lowest one bit of a 16-bit word.
constexpr double Threshold(int rung)
{
    double value = 1.0;
    for (int step = rung; step < 15; ++step)
        value /= 2.0;
    return value;
}

constexpr auto Ladder = [] {
    struct Rungs {
        double At[LevelMeter::Thresholds];
    } rungs = {};
    for (int rung = 0; rung < LevelMeter::Thresholds; ++rung)
        rungs.At[rung] = Threshold(rung);
    return rungs;
}();

double Decibels(double power)
{
    return 10.0 * std::log10(power);
}

}  // namespace

void LevelMeter::Start(uint32_t rate, uint16_t channels)
{
    *this = LevelMeter();
    channels_ = channels == 0 ? 1 : channels;
    envelopeGain_ = rate == 0 ? 0.0 : std::exp(-1.0 / (double(rate) * TimeConstant));
    hangover_ = uint32_t(std::floor(Hangover * rate + 0.5));
    // A file that starts quietly is not active for the hangover's length.
    for (uint32_t& hang : hang_)
        hang = hangover_;
}

void LevelMeter::Add(const float* samples, size_t frames)
{
    const double g = envelopeGain_, rest = 1.0 - envelopeGain_, share = 1.0 / channels_;
    for (size_t frame = 0; frame < frames; ++frame) {
        double rectified = 0, square = 0;
        for (uint16_t channel = 0; channel < channels_; ++channel) {
            const float value = *samples++;
            const float magnitude = std::fabs(value);
            if (magnitude > peak_)
                peak_ = magnitude;
            rectified += magnitude;
            square += double(value) * value;
        }
        energy_ += square * share;
        first_ = g * first_ + rest * rectified * share;
        second_ = g * second_ + rest * first_;
        // The rungs above one that is neither reached nor within its
        // hangover are not either: they fell earlier still.
        for (int rung = 0; rung < Thresholds; ++rung) {
            if (second_ >= Ladder.At[rung])
                hang_[rung] = 0;
            else if (hang_[rung] < hangover_)
                hang_[rung] += 1;
            else
                break;
            active_[rung] += 1;
        }
    }
    frames_ += frames;
}

std::optional<double> LevelMeter::ActiveLevel() const
{
    if (!(energy_ > 0))
        return std::nullopt;
    double previousLevel = 0, previousExcess = 0;
    for (int rung = 0; rung < Thresholds && active_[rung] > 0; ++rung) {
        const double level = Decibels(energy_ / double(active_[rung]));
        const double excess = level - 2.0 * Decibels(Threshold(rung));
        if (excess <= MarginDb) {
            if (rung == 0)
                return level;
            // Between the two rungs that bracket the margin, in dB.
            const double part = (previousExcess - MarginDb) / (previousExcess - excess);
            return previousLevel + part * (level - previousLevel);
        }
        previousLevel = level;
        previousExcess = excess;
    }
    return std::nullopt;
}

double LevelMeter::Activity() const
{
    std::optional<double> level = ActiveLevel();
    if (frames_ == 0 || !level)
        return 0.0;
    return energy_ / double(frames_) / std::pow(10.0, *level / 10.0);
}

LevelDecision DecideLevel(const Leveling& leveling, const LevelMeter& meter, unsigned sourceBits,
                          unsigned targetBits)
{
    LevelDecision decision;
    const double target = -double(leveling.TargetTenths) / 10.0;
    const double peak = meter.Peak();
    // Dither of the last bit reaches one step either way and a filter
    // rings a little beyond: two steps are still its noise.
    const double noise = std::ldexp(2.0, -int(sourceBits < 2 ? 1 : sourceBits - 1));
    if (leveling.Mode == LevelingMode::AsRecorded || !(peak > noise))
        return decision;
    if (leveling.Mode == LevelingMode::Peak) {
        decision.GainDb = target - 20.0 * std::log10(peak);
        decision.Kept = false;
        return decision;
    }
    std::optional<double> active = meter.ActiveLevel();
    if (!active || *active < SilenceDb)
        return decision;
    // The ceiling less what dither and rounding may add to the largest word.
    const double step = std::ldexp(1.0, -int(targetBits < 2 ? 1 : targetBits - 1));
    const double ceiling = std::pow(10.0, CeilingDb / 20.0) - 1.5 * step;
    const double wanted = target - *active;
    const double cap = 20.0 * std::log10(ceiling / peak);
    decision.GainDb = wanted < cap ? wanted : cap;
    decision.Kept = false;
    decision.Short = wanted - decision.GainDb > 0.5;
    return decision;
}

float GainFactor(double gainDb)
{
    return float(std::pow(10.0, gainDb / 20.0));
}
