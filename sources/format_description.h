// The Audio Format column of the source list and the panels: a format
// described by the installed codecs, or by the program itself for the PCM
// and float layouts its own reader takes that no codec describes (float,
// extensible, 24-bit on Windows, more than two channels); and the memo that
// asks the codecs once per format within one command.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <string>
#include <vector>

constexpr DWORD DescriptionChars = 256;  // the Audio Format column's text with its terminator

// "<tag name> - <format name>" as the installed codecs name the format of
// length bytes, or else as the program names a format its own reader takes;
// false when neither knows it.
bool DescribeFormat(const void* format, DWORD length, char (&description)[DescriptionChars]);

// The tag a format is shown under: for an extensible format the own reader
// takes, its sub-format's tag (PCM or IEEE float), else its own tag.
WORD ShownFormatTag(const void* format, DWORD length);

// The name of a shown tag: the codecs' name, else the program's own for IEEE
// float; false for a tag neither knows.
bool NameShownTag(WORD tag, char (&name)[ACMFORMATTAGDETAILS_FORMATTAG_CHARS]);

// The program's name of a format its own reader takes, in the words the
// codecs use for PCM: "48000 Hz; 24 bits; Stereo", with the valid bits of
// the samples rather than the size of their container, and "6 Channels"
// beyond stereo; false for any other format.
bool NameOwnFormat(const void* format, DWORD length, char (&name)[ACMFORMATDETAILS_FORMAT_CHARS]);

// The formats described within one command. Asking the codecs for the two
// names opens every installed driver and costs milliseconds, while the files
// of one command mostly share one format or a few: a folder of ten thousand
// prompts in three formats would otherwise ask the codecs for every file.
class DescriptionMemo {
public:
    // As DescribeFormat, from the memo when the same bytes were described.
    bool Describe(const BYTE* format, DWORD length, char (&description)[DescriptionChars]);

private:
    static constexpr size_t MaxKept = 256;
    struct Described {
        std::string format;
        std::string description;
    };
    std::vector<Described> described_;
};
