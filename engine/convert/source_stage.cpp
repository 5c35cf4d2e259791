// Reading, and decoding where a codec decodes, the source's audio.
#include "engine/convert/source_stage.h"

bool SourceStage::Open(const WaveReader& reader, const char* path, DWORD dataSize, DWORD blockSize,
                       AcmStream stream)
{
    blockSize_ = blockSize;
    dataSize_ = dataSize;
    if (stream) {
        if (!codec_.Open(std::move(stream), blockSize))
            return failure_ = codec_.Why(), false;
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

SourceStep SourceStage::Next(SourceBlock& block)
{
    DWORD toRead = dataSize_ - done_ < blockSize_ ? dataSize_ - done_ : blockSize_;
    BYTE* input = codec_ ? codec_.Input() : static_cast<BYTE*>(static_cast<void*>(buffer_.Get()));
    LONG read = source_.Read(input, toRead);
    if (read < 0)
        return failure_ = Known(source_.Why(), FailureCause::Reading), SourceStep::Failed;
    if (read == 0)
        return SourceStep::End;  // the end of the file, or of the declared data
    if (!codec_) {
        done_ += DWORD(read);
        block = {input, DWORD(read), DWORD(read)};
        return SourceStep::Block;
    }
    DWORD consumed = 0, made = 0;
    if (!codec_.Convert(DWORD(read), &consumed, &made))
        return failure_ = codec_.Why(), SourceStep::Failed;
    // Nothing consumed: what is left is shorter than one conversion step
    // and is dropped, unless nothing could be converted at all.
    if (consumed == 0 && done_ == 0)
        return failure_ = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, SourceStep::Failed;
    if (consumed == 0)
        return SourceStep::End;
    // The unconsumed rest is read again with the next block rather than
    // carried over in a buffer of its own.
    if (consumed < DWORD(read) && !source_.StepBack(DWORD(read) - consumed))
        return failure_ = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, SourceStep::Failed;
    done_ += consumed;
    block = {codec_.Output(), made, consumed};
    return SourceStep::Block;
}
