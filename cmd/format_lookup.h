// Finding a destination format by the words the format chooser shows: its
// tag's name and its details text, both matched whole and without regard to
// case; and, when none or several match, the ones closest to what was asked.
#pragma once
#include <string>
#include <vector>

// One offered format by its words.
struct NamedFormat {
    std::string Tag;      // "U-Law"
    std::string Details;  // "8000 Hz; 8 bits; Mono"
};

// Whether two names are the same but for case.
bool SameName(const std::string& a, const std::string& b);

// The indexes of the offered formats whose tag and details both match.
std::vector<size_t> MatchingFormats(const std::vector<NamedFormat>& offered, const std::string& tag,
                                    const std::string& details);

// The names closest to wanted, at most count of them, closest first: fewest
// edits without regard to case, ties in the order given.
std::vector<std::string> ClosestNames(const std::vector<std::string>& names, const std::string& wanted,
                                      size_t count);
