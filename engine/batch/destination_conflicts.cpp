// Destinations that would replace a source or each other.
#include "engine/batch/destination_conflicts.h"
#include <windows.h>
#include <unordered_map>
#include <unordered_set>
#include "engine/batch/destination_path.h"
#include "engine/batch/path_list.h"
#include "win/path_size.h"

namespace {

constexpr size_t ShownConflicts = 5;

// A path as the file system compares it: in UTF-16, upper-cased by the
// system's table rather than by the user's locale.
std::wstring ComparedPath(const std::string& path)
{
    int wide = MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), nullptr, 0);
    std::wstring text(size_t(wide), L'\0'), upper(size_t(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), text.data(), wide);
    if (wide > 0 && LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), wide, upper.data(), wide) == wide)
        return upper;
    return text;
}

}  // namespace

std::vector<std::string> ConflictingDestinations(const std::vector<ListedSource>& rows, const std::string& folder)
{
    std::unordered_set<std::wstring> sources;
    for (const ListedSource& row : rows)
        sources.insert(ComparedPath(row.Path));

    struct Destination {
        std::string path;
        std::wstring compared;
    };
    std::vector<Destination> destinations;
    std::unordered_map<std::wstring, int> uses;
    for (const ListedSource& row : rows) {
        char joined[PathSize];  // as the batch forms its destination paths
        if (!row.Marked ||
            JoinDestinationPath(folder.c_str(), row.Path.c_str(), joined, sizeof(joined), row.TreeStart) !=
                DestinationJoin::Joined)
            continue;
        destinations.push_back({ joined, ComparedPath(joined) });
        uses[destinations.back().compared] += 1;
    }

    std::vector<std::string> conflicts;
    for (const Destination& destination : destinations)
        if (uses[destination.compared] > 1 || sources.count(destination.compared) != 0)
            conflicts.push_back(destination.path);
    return conflicts;
}

std::string ConflictText(const std::vector<std::string>& destinations)
{
    if (destinations.empty())
        return {};
    return "Unable to convert: " + std::to_string(destinations.size()) +
           " marked files would overwrite a source file or each other:\n" + PathListText(destinations, ShownConflicts);
}

std::vector<std::string> TooLongDestinations(const std::vector<ListedSource>& rows, const std::string& folder)
{
    std::vector<std::string> sources;
    for (const ListedSource& row : rows) {
        char joined[PathSize];
        if (row.Marked && JoinDestinationPath(folder.c_str(), row.Path.c_str(), joined, sizeof(joined),
                                              row.TreeStart) == DestinationJoin::TooLong)
            sources.push_back(row.Path);
    }
    return sources;
}

std::string TooLongText(const std::vector<std::string>& sources)
{
    if (sources.empty())
        return {};
    return "Unable to convert: " + std::to_string(sources.size()) +
           " marked files would get a destination path that is too long:\n" + PathListText(sources, ShownConflicts);
}

std::string BatchRefusal(const std::vector<ListedSource>& rows, const std::string& folder)
{
    std::string refusal = TooLongText(TooLongDestinations(rows, folder));
    return refusal.empty() ? ConflictText(ConflictingDestinations(rows, folder)) : refusal;
}
