// The words and figures of the format panels, made from the fields of a
// format. No window headers here: the panels write these texts into their
// controls, and the texts are tested on their own.
#pragma once
#include <cstdint>
#include <string>

// Shown for a field on which the selected rows differ.
inline constexpr const char* DifferingText = "-----";
// Shown as Audio Format when no installed codec knows the format tag.
inline constexpr const char* UnknownTagText = "<unknown>";

// value printed with the given number of decimals, the exact binary value of
// the double rounded half up ("1.125" with two decimals reads "1.13"), which
// the C library's printf does not promise.
std::string FixedPointHalfUp(double value, int decimals);

// Audio Format: tagName is null when no codec knows the tag, formatName is
// null when the format cannot be named. Several contributing rows show the
// tag name alone.
std::string AudioFormatText(const char* tagName, const char* formatName, bool severalRows);

std::string ChannelsText(uint16_t channels);
std::string SampleRateText(uint32_t samplesPerSecond);
std::string DataRateText(uint32_t bytesPerSecond);
std::string BlockAlignText(uint16_t blockAlign);
std::string ResolutionText(uint16_t bitsPerSample);
std::string ExtraInformationText(uint16_t extraBytes);
