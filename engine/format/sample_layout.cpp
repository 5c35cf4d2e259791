// Reading the sample layout out of format bytes, field by field, without
// ever looking past the bytes given.
#include "engine/format/sample_layout.h"
#include <bit>
#include <cstring>

namespace {

constexpr WORD TagPcm = 1;
constexpr WORD TagFloat = 3;
constexpr WORD TagExtensible = 0xFFFE;

// WAVEFORMATEX is 18 bytes; WAVE_FORMAT_EXTENSIBLE adds 22: valid bits (or
// samples per block), the channel mask and the sub-format's GUID.
constexpr DWORD PlainFormatBytes = 16;
constexpr DWORD FormatWithCountBytes = 18;
constexpr WORD ExtensibleExtraBytes = 22;
constexpr DWORD ValidBitsOffset = 18;
constexpr DWORD ChannelMaskOffset = 20;
constexpr DWORD SubFormatOffset = 24;

// The sub-formats of the plain tags: the tag in the GUID's first two bytes,
// then these fourteen fixed bytes (…-0000-0010-8000-00aa00389b71).
constexpr BYTE SubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

WORD Word(const BYTE* bytes, DWORD offset)
{
    return WORD(bytes[offset] | bytes[offset + 1] << 8);
}

DWORD Dword(const BYTE* bytes, DWORD offset)
{
    return DWORD(Word(bytes, offset)) | DWORD(Word(bytes, offset + 2)) << 16;
}

struct PlainFields {
    WORD Tag, Channels;
    DWORD Rate;
    WORD BlockAlign, Bits;
};

PlainFields ReadPlainFields(const BYTE* bytes)
{
    return {Word(bytes, 0), Word(bytes, 2), Dword(bytes, 4), Word(bytes, 12), Word(bytes, 14)};
}

// What every readable layout has in common, once coding, container and
// valid bits are known.
bool Consistent(const SampleLayout& layout)
{
    if (layout.Channels == 0 || layout.Channels > MaxSampleChannels || layout.SamplesPerSecond == 0)
        return false;
    if (layout.ValidBits == 0 || layout.ValidBits > layout.ContainerBytes * 8)
        return false;
    if (layout.Coding == SampleCoding::Float) {
        if (layout.ContainerBytes != 4 && layout.ContainerBytes != 8)
            return false;
        if (layout.ValidBits != layout.ContainerBytes * 8)
            return false;
    } else if (layout.ContainerBytes < 1 || layout.ContainerBytes > 4) {
        return false;
    }
    if (std::popcount(layout.ChannelMask) > layout.Channels)
        return false;
    return layout.FrameBytes == layout.Channels * layout.ContainerBytes;
}

SampleLayout LayoutOfPlainTag(const PlainFields& fields)
{
    SampleLayout layout;
    layout.Coding = fields.Tag == TagFloat ? SampleCoding::Float : SampleCoding::Integer;
    layout.Channels = fields.Channels;
    layout.SamplesPerSecond = fields.Rate;
    // A plain PCM format of 12 or 20 bits keeps them in the high bits of a
    // container of whole bytes.
    layout.ContainerBytes = WORD((fields.Bits + 7) / 8);
    layout.ValidBits = fields.Bits;
    layout.FrameBytes = fields.BlockAlign;
    return layout;
}

// The extensible part: cbSize must cover it; the container is whole bytes
// of wBitsPerSample, and a valid bit count of 0 means all of them.
LayoutReading ReadExtensible(const BYTE* bytes, DWORD length, const PlainFields& fields)
{
    LayoutReading refused;
    if (length < FormatWithCountBytes + ExtensibleExtraBytes || Word(bytes, 16) < ExtensibleExtraBytes)
        return refused;
    const BYTE* subFormat = bytes + SubFormatOffset;
    WORD subTag = Word(subFormat, 0);
    if ((subTag != TagPcm && subTag != TagFloat) || memcmp(subFormat + 2, SubFormatTail, sizeof(SubFormatTail)) != 0)
        return refused;
    if (fields.Bits == 0 || fields.Bits % 8 != 0)
        return refused;
    SampleLayout layout;
    layout.Coding = subTag == TagFloat ? SampleCoding::Float : SampleCoding::Integer;
    layout.Channels = fields.Channels;
    layout.SamplesPerSecond = fields.Rate;
    layout.ContainerBytes = WORD(fields.Bits / 8);
    WORD valid = Word(bytes, ValidBitsOffset);
    layout.ValidBits = valid == 0 ? fields.Bits : valid;
    layout.ChannelMask = Dword(bytes, ChannelMaskOffset);
    layout.FrameBytes = fields.BlockAlign;
    if (!Consistent(layout))
        return refused;
    return {LayoutVerdict::Readable, layout};
}

}  // namespace

LayoutReading ReadSampleLayout(const void* format, DWORD length)
{
    LayoutReading refused;
    if (format == nullptr || length < PlainFormatBytes)
        return refused;
    const BYTE* bytes = static_cast<const BYTE*>(format);
    PlainFields fields = ReadPlainFields(bytes);
    if (fields.Tag == TagExtensible)
        return ReadExtensible(bytes, length, fields);
    if (fields.Tag != TagPcm && fields.Tag != TagFloat)
        return {LayoutVerdict::ForTheCodecs, {}};
    SampleLayout layout = LayoutOfPlainTag(fields);
    if (!Consistent(layout))
        return refused;
    return {LayoutVerdict::Readable, layout};
}

bool FitsInBits(const SampleLayout& layout, WORD destinationBits)
{
    return layout.Coding == SampleCoding::Integer && layout.ValidBits <= destinationBits;
}
