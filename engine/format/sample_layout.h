// What the program's own sample reader makes of a source format: which
// integer or floating point PCM layouts it decodes itself, which formats it
// leaves to the codecs, and which it refuses as malformed.
#pragma once
#include <windows.h>

// The most channels the reader and the downmix take.
constexpr WORD MaxSampleChannels = 8;

enum class SampleCoding : BYTE {
    Integer,  // two's complement; an 8-bit container is unsigned, offset by 128
    Float,    // IEEE 754, 32 or 64 bits
};

struct SampleLayout {
    SampleCoding Coding = SampleCoding::Integer;
    WORD Channels = 0;           // 1 to MaxSampleChannels
    DWORD SamplesPerSecond = 0;  // of each channel, above 0
    WORD ContainerBytes = 0;     // bytes that hold one sample: 1 to 4, or 4 or 8 of float
    WORD ValidBits = 0;          // the meaningful high bits of the container
    DWORD ChannelMask = 0;       // speaker positions (SPEAKER_*), 0 when the format names none
    WORD FrameBytes = 0;         // one sample of every channel: the block alignment
};

enum class LayoutVerdict : BYTE {
    Readable,      // the own reader decodes it
    ForTheCodecs,  // a format tag of its own (ADPCM, GSM, ...): a codec decodes it, if any
    Refused,       // PCM or float whose fields contradict each other, or beyond the reader
};

struct LayoutReading {
    LayoutVerdict Verdict = LayoutVerdict::Refused;
    SampleLayout Layout;  // filled only when Readable
};

// Reads the bytes of a "fmt " chunk: PCM (tag 1) of 1 to 32 bits in
// containers of 1 to 4 bytes, IEEE float (tag 3) of 32 or 64 bits, and
// WAVE_FORMAT_EXTENSIBLE (0xFFFE) with a PCM or float sub-format. length
// may be 16 (no extra byte count) for the plain tags; nothing beyond it is
// read.
LayoutReading ReadSampleLayout(const void* format, DWORD length);

// Whether layout's samples are carried without loss by PCM of
// destinationBits: integer samples of no more valid bits than that.
bool FitsInBits(const SampleLayout& layout, WORD destinationBits);
