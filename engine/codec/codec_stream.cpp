// A codec stream of a conversion.
#include "engine/codec/codec_stream.h"

bool CodecStream::Open(AcmStream stream, DWORD inputBytes)
{
    stream_ = std::move(stream);
    inputBytes_ = inputBytes;
    if (acmStreamSize(stream_.Get(), inputBytes, &outputBytes_, ACM_STREAMSIZEF_SOURCE) != 0)
        return false;
    input_ = GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, inputBytes));
    output_ = GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, outputBytes_));
    if (!input_ || !output_)
        return false;
    return header_.Prepare(stream_.Get(), Input(), inputBytes, BytesOf(output_), outputBytes_);
}

bool CodecStream::Convert(DWORD count, DWORD* consumed, DWORD* made)
{
    ACMSTREAMHEADER& header = header_.Header();
    header.cbSrcLength = count;
    if (acmStreamConvert(stream_.Get(), &header, ACM_STREAMCONVERTF_BLOCKALIGN) != 0)
        return false;
    *consumed = header.cbSrcLengthUsed;
    *made = header.cbDstLengthUsed;
    return true;
}
