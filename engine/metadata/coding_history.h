// The line a conversion adds to a broadcast chunk's coding history, in the
// EBU's form ("A=PCM,F=8000,W=16,M=mono,T=Tonvelka 1.1" and CR LF), and
// where it goes: behind the last text of the history that is copied, not
// behind the NUL bytes some writers pad it with, which would hide it from
// every reader that takes the history as a string.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct CodingFacts {
    std::string Algorithm;  // "PCM", or the codec's format tag name
    uint32_t Rate = 0;
    uint16_t Bits = 0;      // per sample; left out when 0
    uint16_t Channels = 0;
    std::string Program;    // the program and its version
};

// The line with its CR LF. A comma or line break in a name, which would
// split the line's fields, becomes a blank.
std::string CodingHistoryLine(const CodingFacts& facts);

// How many of count bytes of history end with its last byte that is not
// NUL: those are written now, the NUL bytes behind them are held back until
// more text follows them.
size_t HistoryTextEnd(const uint8_t* bytes, size_t count);

// What is added behind a history whose last written byte (NUL when there
// was none) is lastByte: the line, after a CR LF that ends an unfinished last line.
std::string HistoryAddition(uint8_t lastByte, const CodingFacts& facts);
