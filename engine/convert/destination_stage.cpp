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
            return false;
        largestPut = codec_.OutputBytes();
    }
    return output_.Allocate(file, largestPut);
}

bool DestinationStage::Write(const BYTE* bytes, DWORD count)
{
    written_ += count;
    if (written_ > limit_)
        return false;
    if (digest_ != nullptr)
        digest_->Add(bytes, count);
    return output_.Append(bytes, count);
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
        return false;
    // A full input that makes nothing would never make anything.
    if (consumed == 0 && gathered_ == codec_.InputBytes())
        return false;
    if (!Write(codec_.Output(), made))
        return false;
    encoded_ += consumed;
    gathered_ -= consumed;
    memmove(codec_.Input(), codec_.Input() + consumed, gathered_);
    return true;
}

bool DestinationStage::Flush()
{
    return Encode() && output_.Flush();
}
