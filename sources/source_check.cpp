// The checks a source file passes before it is listed.
#include "sources/source_check.h"
#include <cstdio>
#include <cstring>
#include "engine/format/sample_layout.h"
#include "win/path_size.h"

namespace {

// Why a source whose path fits cannot be listed, or nothing.
std::string SourceRefusal(const char* path, SourceReading& reading)
{
    const std::string unreadable = "Unable to read audio information from source file.";
    SourceFacts facts;
    if (!ReadSourceFormat(path, reading.Format, &reading.Length, &facts, &reading.Why))
        return unreadable;
    if (!facts.DataFound)
        return unreadable;
    LayoutReading layout = ReadSampleLayout(reading.Format, reading.Length);
    if (layout.Verdict == LayoutVerdict::Refused)
        return unreadable;
    if (facts.BigEndian && (layout.Verdict != LayoutVerdict::Readable || IsG711(layout.Layout)))
        return "Unable to read a big-endian (RIFX) source file whose audio is neither PCM nor float.";
    if (facts.DataSize > 0xFFFFFFFFu) {
        char text[160];
        snprintf(text, sizeof(text), "Unable to add a source file with %0.2f GB of audio data: at most 4 GB can be "
                 "converted.", double(facts.DataSize) / 1073741824.0);
        return text;
    }
    return {};
}

}  // namespace

SourceReading ReadSourceForList(const char* path)
{
    SourceReading reading;
    if (strlen(path) >= PathSize)
        reading.Message = PathTooLongMessage;
    else if (!FormatFileSize(path, reading.SizeText)) {
        reading.Message = "Unable to retrieve size of source file.";
        // A folder's path has no size, and the platform no code for it.
        Failure why = LastErrorFailure(FailureCause::OpeningSource);
        if (why.Code != 0)
            reading.Why = why;
    }
    else
        reading.Message = SourceRefusal(path, reading);
    return reading;
}
