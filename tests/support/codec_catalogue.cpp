// The installed codecs' tags and formats, enumerated for tests.
#include "support/codec_catalogue.h"
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <algorithm>
#include <cstring>

namespace {

BOOL CALLBACK AddTag(HACMDRIVERID, LPACMFORMATTAGDETAILSA details, DWORD_PTR instance, DWORD)
{
    auto* tags = reinterpret_cast<std::vector<CodecTag>*>(instance);
    for (const CodecTag& known : *tags)
        if (known.tag == details->dwFormatTag)
            return TRUE;
    tags->push_back({ details->dwFormatTag, details->szFormatTag });
    return TRUE;
}

BOOL CALLBACK AddFormat(HACMDRIVERID, LPACMFORMATDETAILSA details, DWORD_PTR instance, DWORD)
{
    auto* formats = reinterpret_cast<std::vector<CodecFormat>*>(instance);
    const WAVEFORMATEX& format = *details->pwfx;
    size_t length = format.wFormatTag == WAVE_FORMAT_PCM ? 16 : sizeof(WAVEFORMATEX) + format.cbSize;
    CodecFormat found;
    found.name = details->szFormat;
    AppendRaw(found.bytes, &format, length);
    for (const CodecFormat& known : *formats)
        if (known.bytes == found.bytes)
            return TRUE;
    formats->push_back(found);
    return TRUE;
}

}  // namespace

std::vector<CodecTag> InstalledTags()
{
    std::vector<CodecTag> tags;
    ACMFORMATTAGDETAILSA details = {};
    details.cbStruct = sizeof(details);
    acmFormatTagEnumA(nullptr, &details, AddTag, reinterpret_cast<DWORD_PTR>(&tags), 0);
    return tags;
}

std::string TagName(DWORD tag)
{
    for (const CodecTag& known : InstalledTags())
        if (known.tag == tag)
            return known.name;
    return {};
}

std::vector<CodecFormat> FormatsOfTag(DWORD tag)
{
    DWORD maxSize = 0;
    acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize);
    Bytes buffer(std::max<DWORD>(maxSize, 256), 0);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(buffer.data());
    format->wFormatTag = WORD(tag);
    format->cbSize = WORD(buffer.size() - sizeof(WAVEFORMATEX));
    ACMFORMATDETAILSA details = {};
    details.cbStruct = sizeof(details);
    details.dwFormatTag = tag;
    details.pwfx = format;
    details.cbwfx = DWORD(buffer.size());
    std::vector<CodecFormat> formats;
    acmFormatEnumA(nullptr, &details, AddFormat, reinterpret_cast<DWORD_PTR>(&formats),
                   ACM_FORMATENUMF_WFORMATTAG);
    return formats;
}

bool CanConvert(const Bytes& source, const Bytes& destination)
{
    // Room for a cbSize field that a 16-byte PCM record lacks.
    Bytes from = source, to = destination;
    from.resize(std::max(from.size(), sizeof(WAVEFORMATEX)), 0);
    to.resize(std::max(to.size(), sizeof(WAVEFORMATEX)), 0);
    return acmStreamOpen(nullptr, nullptr, reinterpret_cast<WAVEFORMATEX*>(from.data()),
                         reinterpret_cast<WAVEFORMATEX*>(to.data()), nullptr, 0, 0,
                         ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_NONREALTIME) == 0;
}

std::vector<std::string> ReachableFormatNames(DWORD tag, const std::vector<Bytes>& sources)
{
    std::vector<std::string> names;
    for (const CodecFormat& format : FormatsOfTag(tag)) {
        bool reachable = std::all_of(sources.begin(), sources.end(),
                                     [&](const Bytes& source) { return CanConvert(source, format.bytes); });
        if (reachable)
            names.push_back(format.name);
    }
    return names;
}
