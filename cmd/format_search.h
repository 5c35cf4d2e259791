// The installed codecs' formats as the console program names them: the
// listing of --formats and the destination format that --format and
// --details name.
#pragma once
#include <windows.h>
#include <optional>
#include <string>
#include <vector>

// What a search found, or the message that refuses the command.
struct FormatSearchResult {
    std::vector<std::string> Lines;  // the listing
    std::vector<BYTE> Format;        // the destination, as a row stores it
    std::string Tag, Details;        // its words
    std::string Error;
};

// Without a tag: every tag's name, one a line. With one: that tag's formats
// in the chooser's words, one a line; an unknown tag is an error naming the
// closest tags.
FormatSearchResult ListCodecFormats(const std::optional<std::string>& tag);

// The one format whose tag and details match; none or several is an error
// naming the closest candidates.
FormatSearchResult FindDestinationFormat(const std::string& tag, const std::string& details);
