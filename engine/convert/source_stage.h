// The first stage of a conversion: the source's audio data, block by block,
// read ahead of the converter and, where a codec takes it, passed through
// that codec's stream (its decoder to PCM, or the one stream that converts
// it into the destination).
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/codec/codec_stream.h"
#include "engine/wave/read_ahead.h"
#include "engine/wave/wave_file.h"

enum class SourceStep : BYTE {
    Block,   // a block was read
    End,     // the data, the file or what a codec can convert has ended
    Failed,  // a read or the codec failed, or not even the first block converted
};

// What one block of the source became.
struct SourceBlock {
    const BYTE* Bytes = nullptr;  // the read bytes, or the codec's output
    DWORD Count = 0;
    DWORD Consumed = 0;  // source bytes used up by the block
};

// How the stage treats a source's byte order and the end of its audio.
struct SourceShape {
    // A RIFX source's PCM or float: the bytes of each sample of this width
    // are reversed as they are read, and reads keep whole frames.
    WORD SwapWidth = 0;
    WORD FrameBytes = 0;
    // With a codec: the source bytes of one whole block it converts. A last
    // block shorter than that is filled up with Padding and converted, not
    // dropped (0: dropped, as the codec leaves it).
    DWORD CodecBlock = 0;
    DWORD EncodedBlock = 0;  // else, for an encoder: one block of its output, whose input is the block
    BYTE Padding = 0;
    // The codec decodes: of the filled-up block only the frames its bytes
    // hold are kept (PartialBlockFrames of Tag, Channels, SamplesPerBlock),
    // and the output ends after OutputLimit bytes (the "fact" count).
    bool Decoding = false;
    WORD Tag = 0;
    WORD Channels = 0;
    DWORD SamplesPerBlock = 0;
    WORD OutputFrameBytes = 0;
    uint64_t OutputLimit = UINT64_MAX;
};

class SourceStage {
public:
    SourceStage() = default;
    SourceStage(const SourceStage&) = delete;
    SourceStage& operator=(const SourceStage&) = delete;

    // Starts reading dataSize bytes of audio where reader stands, blockSize
    // bytes at a time, through stream unless it is empty. False when the
    // file, the memory or the stream cannot be had.
    bool Open(const WaveReader& reader, const char* path, DWORD dataSize, DWORD blockSize, AcmStream stream,
              const SourceShape& shape = {});

    // The next block. Bytes stay valid until the next call. A codec
    // converts whole blocks of its format: the rest of a read is read again
    // with the next block, and a tail shorter than one of them is filled up
    // as the shape says, or dropped.
    SourceStep Next(SourceBlock& block);

    // The largest Count a block may have.
    DWORD LargestBlock() const { return codec_ ? codec_.OutputBytes() : blockSize_; }
    DWORD Done() const { return done_; }
    DWORD DataSize() const { return dataSize_; }
    // What failed, once Open or Next did.
    const Failure& Why() const { return failure_; }

private:
    SourceStep PadTail(DWORD read, SourceBlock& block);
    DWORD Limited(DWORD made);

    // The reading thread stops before the stream and its buffers go.
    GlobalMemory buffer_;  // the read bytes, without a codec
    CodecStream codec_;
    ReadAhead source_;
    DWORD blockSize_ = 0;
    DWORD dataSize_ = 0;
    DWORD done_ = 0;
    SourceShape shape_;
    uint64_t emitted_ = 0;  // output bytes given so far
    Failure failure_;
};
