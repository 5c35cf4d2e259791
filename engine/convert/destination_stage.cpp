// Encoding, where a codec encodes, and writing the destination's audio.
#include "engine/convert/destination_stage.h"
#include <cstring>

bool DestinationStage::Open(HMMIO file, DWORD largestPut, uint64_t audioLimit, AcmStream encoder,
                            WORD pcmFrameBytes, DWORD outputBlock)
{
    limit_ = audioLimit;
    frameBytes_ = pcmFrameBytes;
    if (encoder) {
        DWORD input = frameBytes_ == 0 ? EncoderInputBytes : EncoderInputBytes / frameBytes_ * frameBytes_;
        if (!codec_.Open(std::move(encoder), input))
            return failure_ = codec_.Why(), false;
        largestPut = codec_.OutputBytes();
        tailBlock_ = codec_.InputBytesFor(outputBlock);
    }
    if (!output_.Allocate(file, largestPut))
        return failure_ = output_.Why(), false;
    return true;
}

bool DestinationStage::Write(const BYTE* bytes, DWORD count)
{
    written_ += count;
    // Audio beyond the limit would need sizes that the file's fields cannot hold.
    if (written_ > limit_)
        return failure_ = {FailureCause::Writing, ERROR_FILE_TOO_LARGE}, false;
    if (digest_ != nullptr)
        digest_->Add(bytes, count);
    if (!output_.Append(bytes, count))
        return failure_ = Known(output_.Why(), FailureCause::Writing), false;
    return true;
}

bool DestinationStage::Put(const BYTE* bytes, DWORD count)
{
    if (!codec_)
        return Write(bytes, count);
    while (count > 0) {
        if (gathered_ == codec_.InputBytes() && !Encode())
            return false;
        DWORD piece = count < codec_.InputBytes() - gathered_ ? count : codec_.InputBytes() - gathered_;
        memcpy(codec_.Input() + gathered_, bytes, piece);
        gathered_ += piece;
        bytes += piece;
        count -= piece;
    }
    return true;
}

// Converts the whole blocks gathered; the rest moves to the front of the
// input to be completed by the next PCM.
bool DestinationStage::Encode()
{
    if (!codec_ || gathered_ == 0)
        return true;
    DWORD consumed = 0, made = 0;
    if (!codec_.Convert(gathered_, &consumed, &made))
        return failure_ = codec_.Why(), false;
    // A full input that makes nothing would never make anything.
    if (consumed == 0 && gathered_ == codec_.InputBytes())
        return failure_ = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, false;
    if (!Write(codec_.Output(), made))
        return false;
    encoded_ += consumed;
    gathered_ -= consumed;
    memmove(codec_.Input(), codec_.Input() + consumed, gathered_);
    return true;
}

// The PCM left after the whole blocks, filled up with the silence of the
// 16-bit PCM an encoder takes, so the destination ends where the source does.
bool DestinationStage::EncodeTail()
{
    if (!codec_ || gathered_ == 0 || tailBlock_ == 0 || gathered_ >= tailBlock_ || tailBlock_ > codec_.InputBytes())
        return true;
    memset(codec_.Input() + gathered_, 0, tailBlock_ - gathered_);
    DWORD consumed = 0, made = 0;
    if (!codec_.Convert(tailBlock_, &consumed, &made))
        return failure_ = codec_.Why(), false;
    if (consumed == 0)
        return true;
    encoded_ += gathered_;
    gathered_ = 0;
    return Write(codec_.Output(), made);
}

bool DestinationStage::Flush()
{
    if (!Encode() || !EncodeTail())
        return false;
    if (!output_.Flush())
        return failure_ = Known(output_.Why(), FailureCause::Writing), false;
    return true;
}
