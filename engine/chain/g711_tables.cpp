// G.711 decoding tables, computed once at compile time from the standard's
// segment rules.
#include "engine/chain/g711_tables.h"
#include <array>

namespace {

constexpr int QuantMask = 0x0F;
constexpr int SegmentMask = 0x70;
constexpr int SegmentShift = 4;
constexpr int SignBit = 0x80;
constexpr int MuLawBias = 0x84;

constexpr int16_t DecodeMuLaw(uint8_t coded)
{
    int u = ~coded & 0xFF;
    int t = ((u & QuantMask) << 3) + MuLawBias;
    t <<= (u & SegmentMask) >> SegmentShift;
    return int16_t((u & SignBit) != 0 ? MuLawBias - t : t - MuLawBias);
}

constexpr int16_t DecodeALaw(uint8_t coded)
{
    int a = coded ^ 0x55;
    int t = (a & QuantMask) << 4;
    int segment = (a & SegmentMask) >> SegmentShift;
    if (segment == 0)
        t += 8;
    else
        t = (t + 0x108) << (segment - 1);
    return int16_t((a & SignBit) != 0 ? t : -t);
}

template <int16_t (*Decode)(uint8_t)>
constexpr std::array<int16_t, 256> Table()
{
    std::array<int16_t, 256> table = {};
    for (int coded = 0; coded < 256; ++coded)
        table[size_t(coded)] = Decode(uint8_t(coded));
    return table;
}

constexpr std::array<int16_t, 256> MuLawTable = Table<DecodeMuLaw>();
constexpr std::array<int16_t, 256> ALawTable = Table<DecodeALaw>();

}  // namespace

int16_t MuLawSample(uint8_t coded) { return MuLawTable[coded]; }
int16_t ALawSample(uint8_t coded) { return ALawTable[coded]; }
