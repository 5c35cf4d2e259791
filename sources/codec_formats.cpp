// The installed codecs' tags and formats.
#include "sources/codec_formats.h"
#include <algorithm>
#include <cstring>

namespace {

BOOL CALLBACK CollectTag(HACMDRIVERID, LPACMFORMATTAGDETAILSA details, DWORD_PTR instance, DWORD)
{
    auto* tags = reinterpret_cast<std::vector<CodecTag>*>(instance);
    // Every codec that converts from or to PCM names the PCM tag as well.
    bool known = std::any_of(tags->begin(), tags->end(),
                             [&](const CodecTag& found) { return found.Tag == details->dwFormatTag; });
    if (!known)
        tags->push_back({ details->dwFormatTag, details->szFormatTag });
    return TRUE;
}

struct FormatSearch {
    std::vector<CodecFormat> found;
    DWORD bufferSize;
};

BOOL CALLBACK CollectFormat(HACMDRIVERID, LPACMFORMATDETAILSA details, DWORD_PTR instance, DWORD)
{
    auto* search = reinterpret_cast<FormatSearch*>(instance);
    const WAVEFORMATEX& format = *details->pwfx;
    DWORD length = ChosenFormatLength(format);
    if (length > search->bufferSize)
        return TRUE;
    CodecFormat listed;
    // PCM is kept as a full WAVEFORMATEX with no extra bytes, so that a hook
    // or a caller reading cbSize finds 0 and not what the buffer held before.
    listed.Bytes.assign(sizeof(WAVEFORMATEX), 0);
    if (length > listed.Bytes.size())
        listed.Bytes.resize(length);
    memcpy(listed.Bytes.data(), &format, length);
    listed.Name = details->szFormat;
    // Several codecs may offer the same format (PCM above all); list it once.
    bool known = std::any_of(search->found.begin(), search->found.end(),
                             [&](const CodecFormat& other) { return other.Bytes == listed.Bytes; });
    if (!known)
        search->found.push_back(std::move(listed));
    return TRUE;
}

}  // namespace

std::vector<CodecFormat> ListTagFormats(DWORD tag)
{
    DWORD maxSize = 0;
    if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize) != MMSYSERR_NOERROR)
        maxSize = 0;
    FormatSearch search;
    search.bufferSize = std::max<DWORD>(maxSize, sizeof(WAVEFORMATEX));
    std::vector<BYTE> buffer(search.bufferSize, 0);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(buffer.data());
    format->wFormatTag = WORD(tag);
    // Some codecs (GSM 6.10) only answer when cbSize leaves room for their
    // extra bytes.
    format->cbSize = WORD(search.bufferSize - sizeof(WAVEFORMATEX));
    ACMFORMATDETAILSA details = {};
    details.cbStruct = sizeof(details);
    details.dwFormatTag = tag;
    details.pwfx = format;
    details.cbwfx = search.bufferSize;
    acmFormatEnumA(nullptr, &details, CollectFormat, reinterpret_cast<DWORD_PTR>(&search),
                   ACM_FORMATENUMF_WFORMATTAG);
    return std::move(search.found);
}


std::vector<CodecTag> ListFormatTags()
{
    std::vector<CodecTag> found;
    ACMFORMATTAGDETAILSA details = {};
    details.cbStruct = sizeof(details);
    acmFormatTagEnumA(nullptr, &details, CollectTag, reinterpret_cast<DWORD_PTR>(&found), 0);
    return found;
}

DWORD ChosenFormatLength(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM ? sizeof(PCMWAVEFORMAT) : sizeof(WAVEFORMATEX) + format.cbSize;
}
