// The Audio Format column of the source list: a format described by the
// installed codecs, and the memo that asks them once per format within one
// command.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

constexpr DWORD DescriptionChars = 256;  // the Audio Format column's text with its terminator

// "<tag name> - <format name>" as the installed codecs name the format of
// length bytes; false when no codec knows the tag or the format.
bool DescribeFormat(const void* format, DWORD length, char (&description)[DescriptionChars]);

// The formats described within one command. Asking the codecs for the two
// names opens every installed driver and costs milliseconds, while the files
// of one command mostly share one format or a few: a folder of ten thousand
// prompts in three formats would otherwise ask the codecs for every file.
class DescriptionMemo {
public:
    // As DescribeFormat, from the memo when the same bytes were described.
    bool Describe(const BYTE* format, DWORD length, char (&description)[DescriptionChars]);

private:
    static constexpr size_t MaxKept = 32;
    struct Described {
        std::string format;
        std::string description;
    };
    std::vector<Described> described_;
};
