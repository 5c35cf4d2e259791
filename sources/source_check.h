// What Add Files reads of a source file before it takes it, and why it
// refuses one: shared by every way files are handed over, the list's and the
// console command's. No window here.
#pragma once
#include <windows.h>
#include <string>
#include "engine/wave/wave_file.h"
#include "sources/file_size.h"
#include "win/failure.h"

// The reason given for a path that does not fit into PathSize.
constexpr char PathTooLongMessage[] = "Unable to add a source file whose path is too long.";

struct SourceReading {
    // Why the file is refused, as Add Files words it; empty when it is taken.
    std::string Message;
    Failure Why;  // what failed, where the platform says
    char SizeText[SizeTextChars] = "";
    BYTE Format[MaxFormatBytes] = {};
    DWORD Length = 0;
};

// The file's size text and format: refused when its path is too long, its
// size cannot be read, or its format cannot be read or is one that no stage
// of a conversion can read (fields that contradict each other, no channels,
// integer words of more than 32 bits); when it has no "data" chunk where the
// converter looks for it; when it is RIFX of other audio than PCM or float;
// when its audio is past the 32-bit figures the batch counts in.
SourceReading ReadSourceForList(const char* path);
