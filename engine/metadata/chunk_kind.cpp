// Which chunks a converted copy keeps.
#include "engine/metadata/chunk_kind.h"

ChunkKind KindOf(uint32_t id, uint32_t listType, bool channelsChange)
{
    switch (id) {
    case ChunkCode("bext"):
        return ChunkKind::Broadcast;
    case ChunkCode("cue "):
        return ChunkKind::CuePoints;
    case ChunkCode("LIST"):
        return listType == ChunkCode("adtl") ? ChunkKind::Labels : ChunkKind::Copied;
    case ChunkCode("smpl"):
        return ChunkKind::Sampler;
    case ChunkCode("MD5 "):
        return ChunkKind::Checksum;
    // The audio and its format are written anew; the rest describe the
    // source's samples (their peaks, their levels, the 64-bit sizes of an
    // RF64 file) or are room kept for growth, which no copy needs.
    case ChunkCode("fmt "):
    case ChunkCode("fact"):
    case ChunkCode("data"):
    case ChunkCode("ds64"):
    case ChunkCode("PEAK"):
    case ChunkCode("levl"):
    case ChunkCode("JUNK"):
    case ChunkCode("junk"):
    case ChunkCode("PAD "):
    case ChunkCode("FLLR"):
        return ChunkKind::Dropped;
    // Names each channel of the audio: wrong once the channels are mixed.
    case ChunkCode("chna"):
        return channelsChange ? ChunkKind::Dropped : ChunkKind::Copied;
    default:
        return ChunkKind::Copied;
    }
}
