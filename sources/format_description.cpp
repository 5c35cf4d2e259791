// Format descriptions of the Audio Format column and the panels.
#include "sources/format_description.h"
#include <cstdio>
#include <cstring>
#include "engine/format/format_guard.h"
#include "engine/format/sample_layout.h"
#include "sources/format_names.h"
#include "sources/source_entry.h"

namespace {

// The codecs' description, for a format they may be shown.
bool DescribeByCodecs(const void* format, DWORD length, char (&tagName)[ACMFORMATTAGDETAILS_FORMATTAG_CHARS],
                      char (&formatName)[ACMFORMATDETAILS_FORMAT_CHARS])
{
    // The codecs may read the whole WAVEFORMATEX, cbSize included, even when
    // told a shorter length: a 16-byte PCM format has none. They get the
    // guarded copy with zeros behind the format, but still its true length.
    std::optional<GuardedFormat> copy = GuardFormat(format, length);
    return copy && GetFormatTagName(copy->Fields().wFormatTag, tagName) &&
           GetFormatName(copy->Get(), length, formatName);
}

}  // namespace

bool DescribeFormat(const void* format, DWORD length, char (&description)[DescriptionChars])
{
    if (length > MaxFormatBytes)
        return false;
    char tagName[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
    char formatName[ACMFORMATDETAILS_FORMAT_CHARS];
    // The codecs first: a format they describe reads in their own words.
    if (!DescribeByCodecs(format, length, tagName, formatName) &&
        !(NameOwnFormat(format, length, formatName) && NameShownTag(ShownFormatTag(format, length), tagName)))
        return false;
    snprintf(description, sizeof(description), "%s - %s", tagName, formatName);
    return true;
}

WORD ShownFormatTag(const void* format, DWORD length)
{
    if (format == nullptr || length < sizeof(WORD))
        return 0;
    const BYTE* bytes = static_cast<const BYTE*>(format);
    WORD tag = WORD(bytes[0] | bytes[1] << 8);
    LayoutReading reading = ReadSampleLayout(format, length);
    if (tag != WAVE_FORMAT_EXTENSIBLE || reading.Verdict != LayoutVerdict::Readable)
        return tag;
    return reading.Layout.Coding == SampleCoding::Float ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
}

bool NameShownTag(WORD tag, char (&name)[ACMFORMATTAGDETAILS_FORMATTAG_CHARS])
{
    if (GetFormatTagName(tag, name))
        return true;
    // No installed codec takes float, so none names it.
    const char* own = tag == WAVE_FORMAT_IEEE_FLOAT ? "IEEE Float" : tag == WAVE_FORMAT_PCM ? "PCM" : nullptr;
    if (own == nullptr)
        return false;
    lstrcpynA(name, own, sizeof(name));
    return true;
}

bool NameOwnFormat(const void* format, DWORD length, char (&name)[ACMFORMATDETAILS_FORMAT_CHARS])
{
    LayoutReading reading = ReadSampleLayout(format, length);
    if (reading.Verdict != LayoutVerdict::Readable)
        return false;
    const SampleLayout& layout = reading.Layout;
    char channels[16];
    if (layout.Channels <= 2)
        lstrcpynA(channels, layout.Channels == 1 ? "Mono" : "Stereo", sizeof(channels));
    else
        snprintf(channels, sizeof(channels), "%u Channels", unsigned(layout.Channels));
    snprintf(name, sizeof(name), "%lu Hz; %u bits; %s", static_cast<unsigned long>(layout.SamplesPerSecond),
             unsigned(layout.ValidBits), channels);
    return true;
}

bool DescriptionMemo::Describe(const BYTE* format, DWORD length, char (&description)[DescriptionChars])
{
    std::string key(reinterpret_cast<const char*>(format), length);
    for (const Described& known : described_) {
        if (known.format == key) {
            memcpy(description, known.description.c_str(), known.description.size() + 1);
            return true;
        }
    }
    if (!DescribeFormat(format, length, description))
        return false;
    if (described_.size() < MaxKept)
        described_.push_back({ std::move(key), description });
    return true;
}
