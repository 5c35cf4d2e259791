// Format descriptions of the Audio Format column.
#include "sources/format_description.h"
#include <cstdio>
#include <cstring>
#include "engine/format_guard.h"
#include "sources/format_names.h"
#include "sources/source_entry.h"

bool DescribeFormat(const void* format, DWORD length, char (&description)[DescriptionChars])
{
    if (length > MaxKeptFormatBytes)
        return false;
    // The codecs may read the whole WAVEFORMATEX, cbSize included, even when
    // told a shorter length: a 16-byte PCM format has none. They get the
    // guarded copy with zeros behind the format, but still its true length;
    // a format they must not see is one no codec can name.
    std::optional<GuardedFormat> copy = GuardFormat(format, length);
    if (!copy)
        return false;

    char tagName[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
    if (!GetFormatTagName(copy->Fields().wFormatTag, tagName))
        return false;
    char formatName[ACMFORMATDETAILS_FORMAT_CHARS];
    if (!GetFormatName(copy->Get(), length, formatName))
        return false;
    snprintf(description, sizeof(description), "%s - %s", tagName, formatName);
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
