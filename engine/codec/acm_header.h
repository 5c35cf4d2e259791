// A conversion stream header that is prepared for one stream for the length
// of a scope.
#pragma once
#include "win/handles.h"

class PreparedStreamHeader {
public:
    PreparedStreamHeader() = default;
    ~PreparedStreamHeader() { Unprepare(); }
    PreparedStreamHeader(const PreparedStreamHeader&) = delete;
    PreparedStreamHeader& operator=(const PreparedStreamHeader&) = delete;

    bool Prepare(HACMSTREAM stream, BYTE* source, DWORD sourceLength, BYTE* destination,
                 DWORD destinationLength);
    // The platform refuses to unprepare a header whose lengths differ from
    // those it was prepared with, so they are put back first.
    void Unprepare();

    ACMSTREAMHEADER& Header() { return header_; }

private:
    HACMSTREAM stream_ = nullptr;
    ACMSTREAMHEADER header_ = {};
    DWORD sourceLength_ = 0;
    DWORD destinationLength_ = 0;
};
