// The words and figures of the format panels, from field values alone.
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include "sources/format_texts.h"

namespace {

TEST(FormatTexts, SampleRateStepsInThousands)
{
    EXPECT_EQ(SampleRateText(0), "0 Hz");
    EXPECT_EQ(SampleRateText(999), "999 Hz");
    EXPECT_EQ(SampleRateText(1000), "1.000 kHz");
    EXPECT_EQ(SampleRateText(8000), "8.000 kHz");
    EXPECT_EQ(SampleRateText(22050), "22.050 kHz");
    EXPECT_EQ(SampleRateText(44100), "44.100 kHz");
    EXPECT_EQ(SampleRateText(999999), "999.999 kHz");
    EXPECT_EQ(SampleRateText(1000000), "1.000 MHz");
    // 999.999999 MHz rounds up into the next thousand of the same unit.
    EXPECT_EQ(SampleRateText(999999999), "1000.000 MHz");
    EXPECT_EQ(SampleRateText(1000000000), "1.000 GHz");
    EXPECT_EQ(SampleRateText(4294967295u), "4.295 GHz");
}

TEST(FormatTexts, DataRateStepsInMultiplesOf1024)
{
    EXPECT_EQ(DataRateText(0), "0 Bytes/sec.");
    EXPECT_EQ(DataRateText(1), "1 Byte/sec.");
    EXPECT_EQ(DataRateText(2), "2 Bytes/sec.");
    EXPECT_EQ(DataRateText(1023), "1023 Bytes/sec.");
    EXPECT_EQ(DataRateText(1024), "1.00 kBytes/sec.");
    EXPECT_EQ(DataRateText(176400), "172.27 kBytes/sec.");
    EXPECT_EQ(DataRateText(1048575), "1024.00 kBytes/sec.");
    EXPECT_EQ(DataRateText(1048576), "1.00 MBytes/sec.");
    EXPECT_EQ(DataRateText(1073741823), "1024.00 MBytes/sec.");
    EXPECT_EQ(DataRateText(1073741824), "1.00 GBytes/sec.");
    EXPECT_EQ(DataRateText(4294967295u), "4.00 GBytes/sec.");
}

TEST(FormatTexts, HalfWayValuesRoundUp)
{
    // 1152 bytes per second are exactly 1.125 kBytes.
    EXPECT_EQ(DataRateText(1152), "1.13 kBytes/sec.");
    // 1.375 and 2.625 kBytes: round-half-even would give 1.38 but 2.62.
    EXPECT_EQ(DataRateText(1408), "1.38 kBytes/sec.");
    EXPECT_EQ(DataRateText(2688), "2.63 kBytes/sec.");
    // Just below half-way stays down: 1151 bytes are 1.1240234375 kBytes.
    EXPECT_EQ(DataRateText(1151), "1.12 kBytes/sec.");
    // 1.5 MBytes and 1.005 MBytes (1053818.88 bytes, not a whole number, so
    // 1053819 bytes lie just above half-way).
    EXPECT_EQ(DataRateText(1572864), "1.50 MBytes/sec.");
    EXPECT_EQ(DataRateText(1053819), "1.01 MBytes/sec.");
    EXPECT_EQ(DataRateText(1053818), "1.00 MBytes/sec.");

    EXPECT_EQ(FixedPointHalfUp(0.125, 2), "0.13");
    EXPECT_EQ(FixedPointHalfUp(2.5, 0), "3");
    EXPECT_EQ(FixedPointHalfUp(0.0, 3), "0.000");
    EXPECT_EQ(FixedPointHalfUp(0.0625, 3), "0.063");
    EXPECT_EQ(FixedPointHalfUp(9.9995, 3), "9.999");  // 9.9995 lies below half-way in binary
    EXPECT_EQ(FixedPointHalfUp(9.99951, 3), "10.000");
}

TEST(FormatTexts, ChannelsNameMonoStereoAndTheRest)
{
    EXPECT_EQ(ChannelsText(1), "1 (Mono)");
    EXPECT_EQ(ChannelsText(2), "2 (Stereo)");
    EXPECT_EQ(ChannelsText(0), "0 (Multi-Channel)");
    EXPECT_EQ(ChannelsText(6), "6 (Multi-Channel)");
    EXPECT_EQ(ChannelsText(65535), "65535 (Multi-Channel)");
}

TEST(FormatTexts, SingularOnlyForExactlyOne)
{
    EXPECT_EQ(BlockAlignText(0), "0 Bytes");
    EXPECT_EQ(BlockAlignText(1), "1 Byte");
    EXPECT_EQ(BlockAlignText(4), "4 Bytes");
    EXPECT_EQ(ResolutionText(0), "0 Bits/Sample");
    EXPECT_EQ(ResolutionText(1), "1 Bit/Sample");
    EXPECT_EQ(ResolutionText(16), "16 Bits/Sample");
    EXPECT_EQ(ExtraInformationText(0), "0 Bytes");
    EXPECT_EQ(ExtraInformationText(1), "1 Byte");
    EXPECT_EQ(ExtraInformationText(32), "32 Bytes");
    EXPECT_EQ(ExtraInformationText(65535), "65535 Bytes");
}

TEST(FormatTexts, AudioFormatNamesTagAndFormat)
{
    EXPECT_EQ(AudioFormatText("PCM", "44.100 kHz, 16 Bit, Stereo", false), "PCM - 44.100 kHz, 16 Bit, Stereo");
    // Several rows share the tag only, even when a name was given.
    EXPECT_EQ(AudioFormatText("PCM", "44.100 kHz, 16 Bit, Stereo", true), "PCM");
    EXPECT_EQ(AudioFormatText("PCM", nullptr, false), "PCM");
    EXPECT_EQ(AudioFormatText(nullptr, nullptr, false), "<unknown>");
    EXPECT_EQ(AudioFormatText(nullptr, "anything", true), "<unknown>");
    EXPECT_STREQ(DifferingText, "-----");
}

}  // namespace
