// What becomes of each chunk of a source in its converted copy: the chunks
// that tell about the recording travel with it, those that describe the
// source's own samples or layout stay behind. No window headers here.
#pragma once
#include <cstdint>

// A chunk's four-character code as it stands in the file, little-endian.
constexpr uint32_t ChunkCode(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 | uint32_t(uint8_t(code[2])) << 16 |
           uint32_t(uint8_t(code[3])) << 24;
}

enum class ChunkKind : uint8_t {
    Copied,     // titles, tags, sampler and loop hints that hold no sample position: byte for byte
    Broadcast,  // "bext": its time reference scaled, one coding-history line added
    CuePoints,  // "cue ": every point's position scaled
    Labels,     // "LIST" of type "adtl": the sample lengths of its "ltxt" scaled
    Sampler,    // "smpl": the sample period and the loops for the new rate
    Checksum,   // "MD5 ": a fresh checksum of the destination's audio
    Dropped,    // the source's layout or samples, stale in any copy
};

// The kind of a chunk; listType is the form type of a "LIST" (0 for other
// chunks), and channelsChange whether the destination has another channel
// count than the source.
ChunkKind KindOf(uint32_t id, uint32_t listType, bool channelsChange);
