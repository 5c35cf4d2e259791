// The sample chain's stages, from the format bytes of a source to the PCM
// words of a destination: which layouts the own reader takes, the values it
// decodes, the channel mix, and what the whole chain makes of sounds
// measured on the samples it produces.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <random>
#include "engine/chain/channel_mix.h"
#include "engine/chain/level_meter.h"
#include "engine/chain/sample_chain.h"
#include "engine/chain/sample_decode.h"
#include "engine/format/sample_layout.h"
#include "support/test_files.h"
#include <msacm.h>

namespace {

const double Pi = std::acos(-1.0);

Bytes ExtensibleFormat(uint16_t channels, uint16_t bits, uint16_t valid, uint32_t mask, uint16_t subTag = 1)
{
    return WaveFormat(WAVE_FORMAT_EXTENSIBLE, channels, 48000, bits, valid, mask, subTag);
}

Bytes WithWord(Bytes format, size_t offset, uint16_t value)
{
    memcpy(format.data() + offset, &value, 2);
    return format;
}

SampleLayout LayoutOf(const Bytes& format)
{
    LayoutReading reading = ReadSampleLayout(format.data(), DWORD(format.size()));
    EXPECT_EQ(reading.Verdict, LayoutVerdict::Readable);
    return reading.Layout;
}

// A sine in 24-bit samples, the same on every channel.
Bytes Sine24(uint32_t rate, uint16_t channels, uint32_t frames, double frequency, double dbfs)
{
    Bytes out;
    double amplitude = 8388608.0 * std::pow(10.0, dbfs / 20);
    for (uint32_t i = 0; i < frames; ++i) {
        int32_t value = int32_t(std::lround(amplitude * std::sin(2 * Pi * frequency * i / rate)));
        for (uint16_t c = 0; c < channels; ++c)
            out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)});
    }
    return out;
}

// The whole chain, fed in pieces of putBytes and taken in pieces of room.
Bytes RunChain(const Bytes& format, const Bytes& audio, ChainTarget target, DWORD putBytes = 5001,
               DWORD room = 3000, bool lowQuality = false)
{
    SampleChain chain;
    EXPECT_TRUE(chain.Open(LayoutOf(format), target, {lowQuality}));
    Bytes out, buffer(room);
    auto takeAll = [&] {
        for (DWORD made = 1; made > 0;) {
            EXPECT_TRUE(chain.Take(buffer.data(), room, &made));
            out.insert(out.end(), buffer.begin(), buffer.begin() + made);
        }
    };
    for (size_t at = 0; at < audio.size(); at += putBytes) {
        chain.Put(audio.data() + at, DWORD(std::min<size_t>(putBytes, audio.size() - at)));
        takeAll();
    }
    chain.Finish();
    takeAll();
    return out;
}

// The amplitude of frequency in samples (full scale 1.0), over whole periods.
double Amplitude(const std::vector<int16_t>& samples, double frequency, double rate)
{
    double re = 0, im = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        re += samples[i] * std::cos(2 * Pi * frequency * i / rate);
        im += samples[i] * std::sin(2 * Pi * frequency * i / rate);
    }
    return 2 * std::hypot(re, im) / samples.size() / 32768;
}

double RmsDb(const std::vector<int16_t>& samples)
{
    double sum = 0;
    for (int16_t s : samples)
        sum += double(s) * s;
    return 10 * std::log10(sum / samples.size() / 32768 / 32768);
}

}  // namespace

TEST(SampleLayout, TakesPcmFloatAndExtensibleAndRefusesContradictions)
{
    const Bytes extensible = ExtensibleFormat(2, 24, 20, 0x3);
    SampleLayout twenty = LayoutOf(extensible);
    EXPECT_EQ(twenty.ContainerBytes, 3);
    EXPECT_EQ(twenty.ValidBits, 20);
    EXPECT_EQ(twenty.ChannelMask, 0x3u);
    EXPECT_EQ(twenty.FrameBytes, 6);
    EXPECT_EQ(LayoutOf(PcmFormat(1, 8000, 8)).ContainerBytes, 1);
    EXPECT_EQ(LayoutOf(WithWord(PcmFormat(2, 8000, 16), 14, 12)).ValidBits, 12);
    EXPECT_EQ(LayoutOf(WithWord(PcmFormat(1, 8000, 64), 0, 3)).Coding, SampleCoding::Float);
    EXPECT_EQ(ReadSampleLayout(WithWord(PcmFormat(1, 8000, 16), 0, 2).data(), 16).Verdict, LayoutVerdict::ForTheCodecs);
    // The block alignment is derived: a wider container it gives each
    // channel, else the bytes of the bits, whatever the header says.
    EXPECT_EQ(LayoutOf(WithWord(extensible, 12, 8)).FrameBytes, 6);
    SampleLayout wide = LayoutOf(WithWord(PcmFormat(2, 48000, 24), 12, 8));
    EXPECT_EQ(wide.ContainerBytes * 1000 + wide.ValidBits * 10 + wide.FrameBytes, 4248);
    EXPECT_EQ(LayoutOf(WithWord(PcmFormat(2, 8000, 16), 12, 0)).FrameBytes, 4);
    EXPECT_EQ(LayoutOf(WithWord(PcmFormat(2, 8000, 16), 12, 5)).FrameBytes, 4);
    SampleLayout ulaw = LayoutOf(WithWord(PcmFormat(2, 16000, 16), 0, 7));
    EXPECT_EQ(int(ulaw.Coding) * 100 + ulaw.FrameBytes, int(SampleCoding::MuLaw) * 100 + 2);

    const struct {
        const char* what;
        Bytes format;
    } refused[] = {
        {"valid bits above the container", WithWord(extensible, 18, 28)},
        {"a mask of more channels than the format", ExtensibleFormat(2, 24, 24, 0x3F)},
        {"an unknown sub-format", ExtensibleFormat(2, 24, 24, 0x3, 2)},
        {"a foreign GUID", WithWord(extensible, 38, 0)},
        {"a float sub-format of 24 bits", ExtensibleFormat(2, 24, 24, 0x3, 3)},
        {"plain float of 24 bits", WithWord(PcmFormat(2, 8000, 24), 0, 3)},
        {"no channels", WithWord(extensible, 2, 0)},
        {"nine channels", PcmFormat(9, 8000, 16)},
        {"no rate", PcmFormat(1, 0, 16)},
        {"integer of 40 bits", PcmFormat(1, 8000, 40)},
        {"cbSize too small for the extensible part", WithWord(extensible, 16, 21)},
        {"extensible cut short", Bytes(extensible.begin(), extensible.end() - 1)},
        {"extensible in 16 bytes", Bytes(extensible.begin(), extensible.begin() + 16)},
        {"fewer than 16 bytes", Bytes(15, 1)},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadSampleLayout(c.format.data(), DWORD(c.format.size())).Verdict, LayoutVerdict::Refused);
    }
}

TEST(SampleDecoding, KeepsTheValidBitsOfEveryContainer)
{
    const struct {
        const char* what;
        Bytes format, bytes;
        std::vector<float> expected;
    } cases[] = {
        {"20 in 24, padding ignored", ExtensibleFormat(1, 24, 20, 0), {0x5F, 0x34, 0x12, 0x0F, 0x00, 0x80},
         {0x123450 / 8388608.0f, -1.0f}},
        {"12 in 16", WithWord(PcmFormat(1, 8000, 16), 14, 12), {0x37, 0x12, 0xFF, 0xFF}, {0x1230 / 32768.0f, -16 / 32768.0f}},
        {"8-bit unsigned", PcmFormat(1, 8000, 8), {0, 128, 255}, {-1.0f, 0.0f, 127 / 128.0f}},
        {"32-bit", PcmFormat(1, 8000, 32), {0, 0, 0, 0x80, 0, 0, 0, 0x40}, {-1.0f, 0.5f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> out(c.expected.size());
        DecodeSamples(LayoutOf(c.format), c.bytes.data(), out.size(), out.data());
        EXPECT_EQ(out, c.expected);
    }
    const double doubles[] = {0.5, -0.25, NAN, 1e300};
    Bytes bytes(sizeof(doubles));
    memcpy(bytes.data(), doubles, sizeof(doubles));
    float out[4];
    DecodeSamples(LayoutOf(WithWord(PcmFormat(1, 8000, 64), 0, 3)), bytes.data(), 4, out);
    EXPECT_EQ(std::vector<float>(out, out + 3), std::vector<float>({0.5f, -0.25f, 0.0f}));
    EXPECT_GT(out[3], 1.0f);
}

// u-law and A-law decoded by the table give what the installed codec
// gives, for every byte.
TEST(SampleDecoding, G711TablesDecodeAsTheCodec)
{
    Bytes every(256);
    for (int i = 0; i < 256; ++i)
        every[size_t(i)] = uint8_t(i);
    for (uint16_t tag : {uint16_t(WAVE_FORMAT_MULAW), uint16_t(WAVE_FORMAT_ALAW)}) {
        WAVEFORMATEX coded = {tag, 1, 8000, 8000, 1, 8, 0}, pcm = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
        HACMSTREAM stream = nullptr;
        ASSERT_EQ(acmStreamOpen(&stream, nullptr, &coded, &pcm, nullptr, 0, 0, 0), 0u);
        Bytes decoded(512);
        ACMSTREAMHEADER header = {};
        header.cbStruct = sizeof(header);
        header.pbSrc = every.data(), header.cbSrcLength = 256, header.pbDst = decoded.data(), header.cbDstLength = 512;
        ASSERT_EQ(acmStreamPrepareHeader(stream, &header, 0), 0u);
        ASSERT_EQ(acmStreamConvert(stream, &header, 0), 0u);
        acmStreamUnprepareHeader(stream, &header, 0);
        acmStreamClose(stream, 0);
        SampleLayout layout = LayoutOf(WithWord(PcmFormat(1, 8000, 8), 0, tag));
        std::vector<float> ours(256);
        DecodeSamples(layout, every.data(), 256, ours.data());
        for (size_t i = 0; i < 256; ++i)
            EXPECT_EQ(std::lround(ours[i] * 32768), SamplesOf(decoded)[i]) << tag << " " << i;
    }
}

TEST(ChannelMix, AveragesAndDownmixesWithoutClipping)
{
    float stereo[] = {0.25f, 0.75f}, mono[2], both[2];
    MixChannels(*PlanChannelMix(2, 0x3, 1), stereo, 1, mono);
    EXPECT_FLOAT_EQ(mono[0], 0.5f);
    MixChannels(*PlanChannelMix(1, 0, 2), stereo, 1, both);
    EXPECT_EQ(both[0], 0.25f);
    EXPECT_EQ(both[1], 0.25f);

    // 5.1: front left, right, centre, LFE, back left, back right.
    ChannelMix surround = *PlanChannelMix(6, 0x3F, 2);
    const float scale = 1 / (1 + 2 * 0.70710678f);
    EXPECT_FLOAT_EQ(surround.Weights[0][0], scale);
    EXPECT_FLOAT_EQ(surround.Weights[0][2], 0.70710678f * scale);
    EXPECT_EQ(surround.Weights[0][3], 0.0f);
    EXPECT_FLOAT_EQ(surround.Weights[1][5], 0.70710678f * scale);
    EXPECT_EQ(surround.Weights[0][1], 0.0f);
    float loud[6] = {1, 1, 1, 1, 1, 1}, out[2];
    MixChannels(*PlanChannelMix(6, 0x3F, 1), loud, 1, out);
    EXPECT_LE(out[0], 1.0f);
    EXPECT_FLOAT_EQ(PlanChannelMix(3, 0, 2)->Weights[1][2], 1.0f / 3);
    EXPECT_FALSE(PlanChannelMix(2, 0, 3));
}

TEST(SampleChain, SixteenBitsComeThroughUntouchedAndLoudSamplesClip)
{
    std::mt19937 random(7);
    Bytes audio(40000);
    for (auto& b : audio)
        b = uint8_t(random());
    EXPECT_EQ(RunChain(PcmFormat(2, 44100, 16), audio, {44100, 2, 16}), audio);

    const float loud[] = {1.5f, -1.5f, 1.0f, -40.0f, 40.0f};
    Bytes floats(sizeof(loud));
    memcpy(floats.data(), loud, sizeof(loud));
    Bytes floatFormat = WithWord(PcmFormat(1, 8000, 32), 0, 3);
    EXPECT_EQ(SamplesOf(RunChain(floatFormat, floats, {8000, 1, 16})),
              std::vector<int16_t>({32767, -32768, 32767, -32768, 32767}));
    EXPECT_EQ(RunChain(floatFormat, floats, {8000, 1, 8}), Bytes({255, 0, 255, 0, 255}));
}

TEST(SampleChain, ResamplingLeavesNoAliasAndKeepsThePassband)
{
    // Stereo 24-bit at 48 kHz, each second channel alike, to mono 8 kHz.
    const uint32_t frames = 48000;
    for (bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "quick" : "very high quality");
        std::vector<int16_t> tone =
            SamplesOf(RunChain(ExtensibleFormat(2, 24, 24, 0x3), Sine24(48000, 2, frames, 1000, -6), {8000, 1, 16},
                               5001, 3000, quick));
        EXPECT_NEAR(double(tone.size()), frames / 6.0, 1);
        std::vector<int16_t> middle(tone.begin() + 400, tone.end() - 400);
        EXPECT_NEAR(RmsDb(middle), -9.03, quick ? 0.5 : 0.1);
        if (quick)
            continue;
        std::vector<int16_t> alias =
            SamplesOf(RunChain(ExtensibleFormat(2, 24, 24, 0x3), Sine24(48000, 2, frames, 6000, -6), {8000, 1, 16}));
        EXPECT_LT(RmsDb(std::vector<int16_t>(alias.begin() + 400, alias.end() - 400)), -60);
    }
}

TEST(SampleChain, DitherKeepsAToneBelowTheLastBitWithoutDistortion)
{
    // -90 dBFS is about one step of 16 bits: rounded alone, the tone becomes
    // a staircase whose fifth harmonic stands far above the noise.
    const Bytes format = PcmFormat(1, 48000, 24), tone = Sine24(48000, 1, 96000, 1000, -90);
    const Bytes once = RunChain(format, tone, {48000, 1, 16});
    EXPECT_EQ(RunChain(format, tone, {48000, 1, 16}, 65536, 65536), once);
    std::vector<int16_t> samples = SamplesOf(once);
    ASSERT_EQ(samples.size(), 96000u);
    EXPECT_NEAR(20 * std::log10(Amplitude(samples, 1000, 48000)), -90, 1);
    EXPECT_LT(Amplitude(samples, 5000, 48000), 0.05 / 32768);
}

// The meter against signals of known level, and the gain each mode gives:
// a sine's RMS where it is active (ten seconds on, ten off, so the hangover
// adds little), all of a steady one, nothing of silence; the ceiling holds
// a loud target short, and the noise of the last bit keeps its level.
TEST(LevelMeter, MeasuresKnownLevelsAndDecidesTheGainOfEachMode)
{
    auto meterOf = [](double amplitude, uint32_t onSeconds) {
        std::vector<float> samples(8000 * 60);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = i / 8000 / onSeconds % 2 == 0 ? float(amplitude * std::sin(2 * Pi * 1000 * i / 8000.0)) : 0.0f;
        LevelMeter meter;
        meter.Start(8000, 1);
        meter.Add(samples.data(), samples.size());
        return meter;
    };
    const double sineRms = 20 * std::log10(0.1 / std::sqrt(2.0));
    LevelMeter bursts = meterOf(0.1, 10), steady = meterOf(0.1, 60);
    ASSERT_TRUE(bursts.ActiveLevel() && steady.ActiveLevel());
    EXPECT_NEAR(*bursts.ActiveLevel(), sineRms, 0.2);
    EXPECT_NEAR(bursts.Activity(), 0.5, 0.02);
    EXPECT_NEAR(*steady.ActiveLevel(), sineRms, 0.05);
    EXPECT_FALSE(meterOf(0.0, 60).ActiveLevel());
    const struct {
        LevelingMode mode;
        uint32_t tenths, sourceBits;
        LevelMeter meter;
        std::string decided;  // gain, kept, short
    } cases[] = {{LevelingMode::Peak, 10, 16, steady, "19.00 0 0"},
                 {LevelingMode::Speech, 260, 16, steady, "-2.99 0 0"},
                 {LevelingMode::Speech, 0, 16, bursts, "19.00 0 1"},
                 {LevelingMode::Speech, 260, 24, meterOf(0.0001, 60), "0.00 1 0"},  // -83 dBov: no speech
                 {LevelingMode::Peak, 10, 16, meterOf(1 / 32768.0, 60), "0.00 1 0"},
                 {LevelingMode::Peak, 10, 24, meterOf(1 / 32768.0, 60), "89.31 0 0"},
                 {LevelingMode::AsRecorded, 10, 16, steady, "0.00 1 0"}};
    for (const auto& c : cases) {
        LevelDecision decision = DecideLevel({c.mode, c.tenths}, c.meter, c.sourceBits, 16);
        char decided[64];
        snprintf(decided, sizeof(decided), "%.2f %d %d", decision.GainDb, decision.Kept, decision.Short);
        EXPECT_EQ(decided, c.decided) << int(c.mode) << " " << c.tenths;
    }
}
