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
    MuLaw,    // G.711 u-law, one byte a sample
    ALaw,     // G.711 A-law, one byte a sample
};

struct SampleLayout {
    SampleCoding Coding = SampleCoding::Integer;
    WORD Channels = 0;           // 1 to MaxSampleChannels
    DWORD SamplesPerSecond = 0;  // of each channel, above 0
    WORD ContainerBytes = 0;     // bytes that hold one sample: 1 to 4, or 4 or 8 of float
    WORD ValidBits = 0;          // the meaningful high bits of the container
    DWORD ChannelMask = 0;       // speaker positions (SPEAKER_*), 0 when the format names none
    WORD FrameBytes = 0;         // one sample of every channel, as the fields imply
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
// containers of 1 to 4 bytes, IEEE float (tag 3) of 32 or 64 bits,
// WAVE_FORMAT_EXTENSIBLE (0xFFFE) with a PCM or float sub-format, and G.711
// u-law (7) and A-law (6) at any rate. length may be 16 (no extra byte count)
// for the plain tags; nothing beyond it is read. The block alignment is
// derived, as other readers derive it, from channels and container: a PCM
// block alignment that gives each channel a wider container of up to 4
// bytes means such containers (24 bits in 4 bytes, as extensible headers say
// outright); any other value that disagrees, 0 included, is not believed.
// The average bytes per second are never read.
LayoutReading ReadSampleLayout(const void* format, DWORD length);

// Whether layout's samples are carried without loss by PCM of
// destinationBits: integer samples of no more valid bits than that, or G.711
// into 16 bits (it decodes to 14 bits at most).
bool FitsInBits(const SampleLayout& layout, WORD destinationBits);

// Whether the layout's samples are G.711 bytes.
inline bool IsG711(const SampleLayout& layout)
{
    return layout.Coding == SampleCoding::MuLaw || layout.Coding == SampleCoding::ALaw;
}
