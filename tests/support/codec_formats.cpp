// Formats from the codecs.
#include "support/codec_formats.h"
#include <mmsystem.h>
#include <msacm.h>
#include <algorithm>
#include <cmath>
#include <cstring>

Bytes SuggestFormat(const Bytes& sourceFormat, WORD tag)
{
    Bytes source(std::max<size_t>(sourceFormat.size(), sizeof(WAVEFORMATEX)), 0);
    memcpy(source.data(), sourceFormat.data(), sourceFormat.size());
    DWORD maxSize = 0;
    acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize);
    Bytes suggested(std::max<DWORD>(maxSize, 256), 0);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(suggested.data());
    // Some codecs answer only when the extra byte count leaves room for their
    // own extra bytes, and some leave the count as it was given.
    bool found = false;
    for (WORD room : {WORD(0), WORD(2), WORD(suggested.size() - sizeof(WAVEFORMATEX))}) {
        memset(suggested.data(), 0, suggested.size());
        format->wFormatTag = tag;
        format->cbSize = room;
        if (acmFormatSuggest(nullptr, reinterpret_cast<WAVEFORMATEX*>(source.data()), format,
                             DWORD(suggested.size()), ACM_FORMATSUGGESTF_WFORMATTAG) == 0) {
            found = true;
            break;
        }
    }
    if (!found)
        return {};
    size_t length = tag == WAVE_FORMAT_PCM ? 16 : sizeof(WAVEFORMATEX) + format->cbSize;
    suggested.resize(length);
    return suggested;
}

const WAVEFORMATEX& AsFormat(const Bytes& format) { return *reinterpret_cast<const WAVEFORMATEX*>(format.data()); }

double SignalToNoise(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded)
{
    size_t count = std::min(reference.size(), decoded.size());
    double signal = 0, noise = 0;
    for (size_t i = 0; i < count; ++i) {
        double r = reference[i], d = decoded[i];
        signal += r * r;
        noise += (r - d) * (r - d);
    }
    if (noise == 0)
        return 1000.0;
    return 10.0 * std::log10(signal / noise);
}
