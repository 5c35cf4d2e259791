// Texts of the format panels.
#include "ui/format_texts.h"
#include <cmath>
#include <cstdio>

namespace {

std::string Printed(const char* format, unsigned value)
{
    char text[32];
    snprintf(text, sizeof(text), format, value);
    return text;
}

// "1 Byte" but "0 Bytes" and "2 Bytes": the singular belongs to exactly one.
std::string Counted(unsigned value, const char* one, const char* many)
{
    return Printed(value == 1 ? one : many, value);
}

}  // namespace

std::string FixedPointHalfUp(double value, int decimals)
{
    // The double is mantissa * 2^exponent with an integer mantissa of at most
    // 53 bits. Scaling the mantissa by 10^decimals (at most 10^3, below 2^10)
    // stays below 2^63, so the rounding is done on exact integers and never
    // on a decimal expansion that printf may have rounded to even already.
    char text[400];
    const bool negative = value < 0;
    int exponent = 0;
    double fraction = std::frexp(std::fabs(value), &exponent);
    uint64_t mantissa = uint64_t(std::ldexp(fraction, 53));
    exponent -= 53;
    uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;

    uint64_t scaled = 0;
    if (mantissa == 0) {
        scaled = 0;
    } else if (exponent >= 0) {
        // An integer of 2^53 or more: far beyond any figure of the panels,
        // and printf gives such integers exactly.
        snprintf(text, sizeof(text), "%.*f", decimals, value);
        return text;
    } else {
        while (mantissa % 2 == 0 && exponent < 0) {
            mantissa /= 2;
            ++exponent;
        }
        uint64_t numerator = mantissa * scale;
        int shift = -exponent;
        if (shift >= 64) {
            scaled = (shift == 64 && numerator >= (uint64_t(1) << 63)) ? 1 : 0;
        } else {
            scaled = numerator >> shift;
            uint64_t rest = numerator & ((uint64_t(1) << shift) - 1);
            if (rest >= (uint64_t(1) << (shift - 1)))
                ++scaled;
        }
    }

    if (decimals > 0)
        snprintf(text, sizeof(text), "%s%llu.%0*llu", negative && scaled != 0 ? "-" : "",
                 static_cast<unsigned long long>(scaled / scale), decimals,
                 static_cast<unsigned long long>(scaled % scale));
    else
        snprintf(text, sizeof(text), "%s%llu", negative && scaled != 0 ? "-" : "",
                 static_cast<unsigned long long>(scaled));
    return text;
}

std::string AudioFormatText(const char* tagName, const char* formatName, bool severalRows)
{
    if (tagName == nullptr)
        return UnknownTagText;
    if (severalRows || formatName == nullptr)
        return tagName;
    return std::string(tagName) + " - " + formatName;
}

std::string ChannelsText(uint16_t channels)
{
    const char* kind = channels == 1 ? "Mono" : channels == 2 ? "Stereo" : "Multi-Channel";
    return Printed("%u", channels) + " (" + kind + ")";
}

std::string SampleRateText(uint32_t samplesPerSecond)
{
    // Decimal steps: a rate is counted in thousands of samples.
    const double rate = samplesPerSecond;
    if (samplesPerSecond >= 1000000000u)
        return FixedPointHalfUp(rate * 1e-9, 3) + " GHz";
    if (samplesPerSecond >= 1000000u)
        return FixedPointHalfUp(rate * 1e-6, 3) + " MHz";
    if (samplesPerSecond >= 1000u)
        return FixedPointHalfUp(rate * 0.001, 3) + " kHz";
    return Printed("%u Hz", samplesPerSecond);
}

std::string DataRateText(uint32_t bytesPerSecond)
{
    // Binary steps: bytes are counted in multiples of 1024. The steps are
    // powers of two, so dividing by them is exact.
    constexpr uint32_t KiloStep = 1024u, MegaStep = KiloStep * KiloStep, GigaStep = MegaStep * KiloStep;
    const double rate = bytesPerSecond;
    if (bytesPerSecond >= GigaStep)
        return FixedPointHalfUp(rate / GigaStep, 2) + " GBytes/sec.";
    if (bytesPerSecond >= MegaStep)
        return FixedPointHalfUp(rate / MegaStep, 2) + " MBytes/sec.";
    if (bytesPerSecond >= KiloStep)
        return FixedPointHalfUp(rate / KiloStep, 2) + " kBytes/sec.";
    return Counted(bytesPerSecond, "%u Byte/sec.", "%u Bytes/sec.");
}

std::string BlockAlignText(uint16_t blockAlign) { return Counted(blockAlign, "%u Byte", "%u Bytes"); }

std::string ResolutionText(uint16_t bitsPerSample)
{
    return Counted(bitsPerSample, "%u Bit/Sample", "%u Bits/Sample");
}

std::string ExtraInformationText(uint16_t extraBytes) { return Counted(extraBytes, "%u Byte", "%u Bytes"); }
