// Matching the named destination format.
#include "cmd/format_lookup.h"
#include <algorithm>
#include <cctype>
#include <numeric>

namespace {

char Folded(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

// Levenshtein's count of single-letter edits, case folded.
size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t(0));
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            size_t change = diagonal + (Folded(a[i - 1]) == Folded(b[j - 1]) ? 0 : 1);
            row[j] = std::min({ change, above + 1, row[j - 1] + 1 });
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Folded(x) == Folded(y);
           });
}

std::vector<size_t> MatchingFormats(const std::vector<NamedFormat>& offered, const std::string& tag,
                                    const std::string& details)
{
    std::vector<size_t> found;
    for (size_t index = 0; index < offered.size(); ++index)
        if (SameName(offered[index].Tag, tag) && SameName(offered[index].Details, details))
            found.push_back(index);
    return found;
}

std::vector<std::string> ClosestNames(const std::vector<std::string>& names, const std::string& wanted,
                                      size_t count)
{
    std::vector<std::pair<size_t, std::string>> ranked;
    for (const std::string& name : names)
        ranked.emplace_back(EditDistance(name, wanted), name);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> closest;
    for (size_t index = 0; index < ranked.size() && index < count; ++index)
        closest.push_back(ranked[index].second);
    return closest;
}
