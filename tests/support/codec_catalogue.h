// What the installed codecs offer, asked directly from the Audio Compression
// Manager: the expectations of the format chooser tests.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "support/test_files.h"

struct CodecFormat {
    std::string name;
    Bytes bytes;  // 16 bytes for PCM, 18 + cbSize otherwise
};

// The tags of all installed codecs, each once, with their names.
struct CodecTag {
    DWORD tag;
    std::string name;
};
std::vector<CodecTag> InstalledTags();
std::string TagName(DWORD tag);

// Every format of a tag that some installed codec enumerates, each once.
std::vector<CodecFormat> FormatsOfTag(DWORD tag);

// Whether some installed codec converts source into destination (a stream
// query, non-real-time allowed).
bool CanConvert(const Bytes& source, const Bytes& destination);

// The names of those formats of a tag that every one of the sources can be
// converted into, in enumeration order.
std::vector<std::string> ReachableFormatNames(DWORD tag, const std::vector<Bytes>& sources);
