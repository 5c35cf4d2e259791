// Encoding, where a codec encodes, and writing the destination's audio.
#include "engine/convert/destination_stage.h"
#include <cstring>

bool DestinationStage::Open(HMMIO file, DWORD largestPut, uint64_t audioLimit, AcmStream encoder,
                            WORD pcmFrameBytes)
{
    limit_ = audioLimit;
    frameBytes_ = pcmFrameBytes;
    if (encoder) {
        DWORD input = frameBytes_ == 0 ? EncoderInputBytes : EncoderInputBytes / frameBytes_ * frameBytes_;
        if (!codec_.Open(std::move(encoder), input))
            return failure_ = codec_.Why(), false;
        largestPut = codec_.OutputBytes();
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

bool DestinationStage::Flush()
{
    if (!Encode())
        return false;
    if (!output_.Flush())
        return failure_ = Known(output_.Why(), FailureCause::Writing), false;
    return true;
}
