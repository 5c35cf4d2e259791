// A codec stream of a conversion.
#include "engine/codec/codec_stream.h"

bool CodecStream::Open(AcmStream stream, DWORD inputBytes)
{
    stream_ = std::move(stream);
    inputBytes_ = inputBytes;
    if (MMRESULT result = acmStreamSize(stream_.Get(), inputBytes, &outputBytes_, ACM_STREAMSIZEF_SOURCE))
        return failure_ = {FailureCause::CodecRefused, result}, false;
    input_ = GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, inputBytes));
    output_ = GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, outputBytes_));
    if (!input_ || !output_)
        return failure_ = {FailureCause::OutOfMemory, ERROR_NOT_ENOUGH_MEMORY}, false;
    if (!header_.Prepare(stream_.Get(), Input(), inputBytes, BytesOf(output_), outputBytes_))
        return failure_ = {FailureCause::CodecRefused, MMSYSERR_ERROR}, false;
    return true;
}

bool CodecStream::Convert(DWORD count, DWORD* consumed, DWORD* made)
{
    ACMSTREAMHEADER& header = header_.Header();
    header.cbSrcLength = count;
    if (MMRESULT result = acmStreamConvert(stream_.Get(), &header, ACM_STREAMCONVERTF_BLOCKALIGN))
        return failure_ = {FailureCause::CodecRefused, result}, false;
    *consumed = header.cbSrcLengthUsed;
    *made = header.cbDstLengthUsed;
    return true;
}

DWORD CodecStream::InputBytesFor(DWORD outputBytes) const
{
    DWORD input = 0;
    if (outputBytes == 0 || acmStreamSize(stream_.Get(), outputBytes, &input, ACM_STREAMSIZEF_DESTINATION) != 0)
        return 0;
    return input;
}
