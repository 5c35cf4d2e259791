// Reading, and decoding where a codec decodes, the source's audio.
#include "engine/convert/source_stage.h"
#include <cstring>
#include "engine/convert/partial_block.h"
#include "engine/wave/rifx_order.h"

bool SourceStage::Open(const WaveReader& reader, const char* path, DWORD dataSize, DWORD blockSize,
                       AcmStream stream, const SourceShape& shape)
{
    shape_ = shape;
    // Whole frames in every read, so each read's samples can be turned
    // round on their own.
    if (shape.SwapWidth > 1 && shape.FrameBytes > 0 && blockSize >= shape.FrameBytes)
        blockSize -= blockSize % shape.FrameBytes;
    blockSize_ = blockSize;
    dataSize_ = dataSize;
    if (stream) {
        if (!codec_.Open(std::move(stream), blockSize))
            return failure_ = codec_.Why(), false;
        if (shape_.CodecBlock == 0)
            shape_.CodecBlock = codec_.InputBytesFor(shape_.EncodedBlock);
    } else {
        buffer_ = GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, blockSize));
        if (!buffer_)
            return failure_ = LastErrorFailure(FailureCause::OutOfMemory), false;
    }
    // The audio starts where opening left the source's position.
    LONG dataOffset = mmioSeek(reader.File.Get(), 0, SEEK_CUR);
    if (dataOffset == -1)
        return failure_ = LastErrorFailure(FailureCause::Reading), false;
    if (!source_.Start(reader.File.Get(), path, DWORD(dataOffset), dataSize, blockSize))
        return failure_ = Known(source_.Why(), FailureCause::OutOfMemory), false;
    return true;
}

// What a decoder's output may still give before the "fact" count is met.
DWORD SourceStage::Limited(DWORD made)
{
    uint64_t room = shape_.OutputLimit > emitted_ ? shape_.OutputLimit - emitted_ : 0;
    DWORD kept = room < made ? DWORD(room) : made;
    emitted_ += kept;
    return kept;
}

// The last block, shorter than the codec takes: filled up and converted;
// of a decoder's output only the frames that the block's bytes hold.
SourceStep SourceStage::PadTail(DWORD read, SourceBlock& block)
{
    memset(codec_.Input() + read, shape_.Padding, shape_.CodecBlock - read);
    DWORD consumed = 0, made = 0;
    if (!codec_.Convert(shape_.CodecBlock, &consumed, &made) || consumed == 0) {
        if (done_ > 0)
            return SourceStep::End;
        return failure_ = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, SourceStep::Failed;
    }
    if (shape_.Decoding) {
        uint64_t held = uint64_t(PartialBlockFrames(shape_.Tag, shape_.Channels, read, shape_.SamplesPerBlock)) *
                        shape_.OutputFrameBytes;
        made = Limited(held < made ? DWORD(held) : made);
    }
    done_ += read;
    block = {codec_.Output(), made, read};
    return SourceStep::Block;
}

SourceStep SourceStage::Next(SourceBlock& block)
{
    DWORD toRead = dataSize_ - done_ < blockSize_ ? dataSize_ - done_ : blockSize_;
    BYTE* input = codec_ ? codec_.Input() : static_cast<BYTE*>(static_cast<void*>(buffer_.Get()));
    LONG read = source_.Read(input, toRead);
    if (read < 0)
        return failure_ = Known(source_.Why(), FailureCause::Reading), SourceStep::Failed;
    if (read == 0)
        return SourceStep::End;  // the end of the file, or of the declared data
    SwapSampleBytes(input, DWORD(read), shape_.SwapWidth);
    if (!codec_) {
        done_ += DWORD(read);
        block = {input, DWORD(read), DWORD(read)};
        return SourceStep::Block;
    }
    DWORD consumed = 0, made = 0;
    if (!codec_.Convert(DWORD(read), &consumed, &made))
        return failure_ = codec_.Why(), SourceStep::Failed;
    // Nothing consumed: what is left is shorter than one conversion step;
    // it is filled up where the shape says how, else dropped, unless nothing
    // could be converted at all.
    if (consumed == 0) {
        if (DWORD(read) < shape_.CodecBlock && shape_.CodecBlock <= codec_.InputBytes())
            return PadTail(DWORD(read), block);
        if (done_ == 0)
            return failure_ = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, SourceStep::Failed;
        return SourceStep::End;
    }
    // The unconsumed rest is read again with the next block rather than
    // carried over in a buffer of its own.
    if (consumed < DWORD(read) && !source_.StepBack(DWORD(read) - consumed))
        return failure_ = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, SourceStep::Failed;
    done_ += consumed;
    block = {codec_.Output(), shape_.Decoding ? Limited(made) : made, consumed};
    return SourceStep::Block;
}
