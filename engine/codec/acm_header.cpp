// The prepared conversion stream header.
#include "engine/codec/acm_header.h"

bool PreparedStreamHeader::Prepare(HACMSTREAM stream, BYTE* source, DWORD sourceLength,
                                   BYTE* destination, DWORD destinationLength)
{
    Unprepare();
    header_ = {};
    header_.cbStruct = sizeof(header_);
    header_.pbSrc = source;
    header_.cbSrcLength = sourceLength;
    header_.pbDst = destination;
    header_.cbDstLength = destinationLength;
    if (acmStreamPrepareHeader(stream, &header_, 0) != 0)
        return false;
    stream_ = stream;
    sourceLength_ = sourceLength;
    destinationLength_ = destinationLength;
    return true;
}

void PreparedStreamHeader::Unprepare()
{
    if (stream_ == nullptr)
        return;
    header_.cbSrcLength = sourceLength_;
    header_.cbDstLength = destinationLength_;
    acmStreamUnprepareHeader(stream_, &header_, 0);
    stream_ = nullptr;
}
