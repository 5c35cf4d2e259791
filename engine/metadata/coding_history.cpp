// The coding-history line of a conversion.
#include "engine/metadata/coding_history.h"

namespace {

std::string FieldText(std::string text)
{
    for (char& c : text)
        if (c == ',' || c == '\r' || c == '\n')
            c = ' ';
    return text;
}

std::string ModeText(uint16_t channels)
{
    if (channels == 1)
        return "mono";
    if (channels == 2)
        return "stereo";
    return std::to_string(channels) + " channels";
}

}  // namespace

std::string CodingHistoryLine(const CodingFacts& facts)
{
    std::string line = "A=" + FieldText(facts.Algorithm) + ",F=" + std::to_string(facts.Rate);
    if (facts.Bits != 0)
        line += ",W=" + std::to_string(facts.Bits);
    return line + ",M=" + ModeText(facts.Channels) + ",T=" + FieldText(facts.Program) + "\r\n";
}

size_t HistoryTextEnd(const uint8_t* bytes, size_t count)
{
    while (count > 0 && bytes[count - 1] == 0)
        --count;
    return count;
}

std::string HistoryAddition(uint8_t lastByte, const CodingFacts& facts)
{
    const bool unfinished = lastByte != 0 && lastByte != '\n';
    return (unfinished ? "\r\n" : "") + CodingHistoryLine(facts);
}
