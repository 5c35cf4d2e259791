// The format tags and formats that the installed codecs offer, in the order
// and the words of the format chooser; the chooser lists them and the console
// program finds a destination format among them.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <string>
#include <vector>

struct CodecTag {
    DWORD Tag;
    std::string Name;  // "U-Law", "GSM 6.10"
};

struct CodecFormat {
    std::vector<BYTE> Bytes;  // the WAVEFORMATEX with its extra bytes
    std::string Name;         // "8000 Hz; 8 bits; Mono"
};

// Every tag that an installed codec names, once, in the codecs' order.
std::vector<CodecTag> ListFormatTags();

// The formats of one tag that the codecs offer, each once. A PCM format is
// kept as a full WAVEFORMATEX with no extra bytes.
std::vector<CodecFormat> ListTagFormats(DWORD tag);

// The bytes a format takes as the chooser hands it on and a row stores it: a
// PCM format is complete without its cbSize field, every other format
// carries cbSize extra bytes after the standard record.
DWORD ChosenFormatLength(const WAVEFORMATEX& format);
