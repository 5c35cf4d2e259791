// The checks a source file passes before it is listed.
#include "sources/source_check.h"
#include <cstring>
#include "engine/format/sample_layout.h"
#include "win/path_size.h"

SourceReading ReadSourceForList(const char* path)
{
    SourceReading reading;
    if (strlen(path) >= PathSize)
        reading.Message = PathTooLongMessage;
    else if (!FormatFileSize(path, reading.SizeText))
        reading.Message = "Unable to retrieve size of source file.";
    else if (!ReadSourceFormat(path, reading.Format, &reading.Length) ||
             ReadSampleLayout(reading.Format, reading.Length).Verdict == LayoutVerdict::Refused)
        reading.Message = "Unable to read audio information from source file.";
    return reading;
}
