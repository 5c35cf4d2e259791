// What a converted file keeps of what its source says about itself: titles,
// broadcast descriptions, markers, loop points and the chunks the program
// does not know, behind the destination's audio in the source's order, each
// rewritten for the destination where it counts samples. A chunk whose sizes
// do not add up is left out; the audio never depends on any of them.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>
#include <vector>
#include "engine/convert/conversion_host.h"
#include "engine/convert/convert_file.h"
#include "engine/metadata/chunk_kind.h"
#include "engine/metadata/coding_history.h"
#include "engine/metadata/frame_scale.h"
#include "engine/wave/source_chunks.h"
#include "engine/wave/trailing_chunk.h"
#include "engine/wave/wave_file.h"
#include "win/md5_digest.h"

// Chunks are copied through this much memory, however large they are.
constexpr DWORD MetadataBufferBytes = 64 * 1024;

class MetadataStep {
public:
    // Finds the chunks of the source at sourcePath that a destination of
    // the given format keeps, between two formats' fields: none behind GSM
    // 6.10, whose telephone readers play every byte after the header.
    void Plan(const char* sourcePath, const WAVEFORMATEX& source, const WAVEFORMATEX& destination);

    // The digest of the destination's audio, where a checksum chunk is kept;
    // null otherwise. Whoever writes the audio adds every byte to it.
    Md5Digest* AudioDigest() { return digest_.Started() ? &digest_ : nullptr; }

    // Ends the writer's audio of destinationFrames frames and writes the
    // kept chunks behind it, as many as the form's 32-bit size leaves room
    // for. Aborted when the host asks, between pieces; the sizes then keep
    // their placeholders.
    ConvertResult Write(WaveWriter& writer, uint64_t destinationFrames, ConversionHost* host);

private:
    struct Kept {
        SourceChunk Chunk;
        ChunkKind Kind;
    };
    bool AddsUp(const SourceChunk& chunk, ChunkKind kind);
    bool SubChunksAddUp(const SourceChunk& list, bool labels);
    bool Fits(HMMIO file, const Kept& kept) const;
    ConvertResult WriteChunk(const Kept& kept, TrailingChunk& out);
    ConvertResult CopyThrough(uint64_t offset, uint64_t count, TrailingChunk& out);
    ConvertResult CopyCuePoints(const SourceChunk& chunk, TrailingChunk& out);
    ConvertResult CopySampler(const SourceChunk& chunk, TrailingChunk& out);
    ConvertResult CopyLabels(const SourceChunk& chunk, TrailingChunk& out);
    ConvertResult CopyBroadcast(const SourceChunk& chunk, TrailingChunk& out);
    ConvertResult CopyHistory(uint64_t offset, uint32_t count, TrailingChunk& out, uint8_t& lastByte);
    template <size_t Size>
    ConvertResult CopyRecord(uint64_t offset, TrailingChunk& out, void (*scale)(uint8_t (&)[Size], const RateChange&),
                             uint8_t (&record)[Size]);

    SourceChunks source_;
    std::vector<Kept> kept_;
    std::vector<BYTE> buffer_;
    Md5Digest digest_;
    uint8_t checksum_[Md5Bytes] = {};
    RateChange change_;
    CodingFacts facts_;
    ConversionHost* host_ = nullptr;
};

// Gives the destination the source's last-write time: an archive's file
// dates are its recording dates. False when either file refuses.
bool CopyLastWriteTime(const char* sourcePath, const char* destinationPath);
