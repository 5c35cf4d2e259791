// Gathering and checking the rows of a console batch.
#include "cmd/command_rows.h"
#include <algorithm>
#include <map>
#include "engine/convert/conversion_plan.h"
#include "engine/convert/convert_file.h"
#include "engine/batch/destination_conflicts.h"
#include "engine/batch/destination_path.h"
#include "engine/batch/path_list.h"
#include "sources/given_files.h"
#include "sources/source_check.h"
#include "win/command_args.h"
#include "win/path_size.h"

namespace {

constexpr size_t ShownPaths = 5;

// The rows of the files that Add Files would take; the error names the others.
CommandRows ReadGivenFiles(const GivenFiles& given, const std::vector<BYTE>& destination)
{
    CommandRows read;
    std::vector<std::string> refused;
    std::string firstReason;
    for (size_t index = 0; index < given.Paths.size(); ++index) {
        const SourceReading reading = ReadSourceForList(given.Paths[index].c_str());
        if (!reading.Message.empty()) {
            if (firstReason.empty())
                firstReason = WithFailureLine(reading.Message, given.Paths[index].c_str(), reading.Why);
            refused.push_back(given.Paths[index]);
            continue;
        }
        BatchRow row;
        row.Path = given.Paths[index];
        row.TreeStart = given.TreeStarts[index];
        row.Marked = true;
        row.SourceFormat.assign(reading.Format, reading.Format + reading.Length);
        row.DestinationFormat = destination;
        read.Rows.push_back(std::move(row));
    }
    read.Error = GivenFilesText(refused, firstReason, {}, GivenBy::CommandLine);
    return read;
}

// The files whose format the converter cannot take to the destination, as
// the chooser's check asks it once per distinct source format.
std::vector<std::string> UnreachableFiles(const std::vector<BatchRow>& rows, const std::vector<BYTE>& destination,
                                          bool lowQuality)
{
    std::map<std::string, bool> reached;  // by the source format's bytes
    std::vector<std::string> unreachable;
    for (const BatchRow& row : rows) {
        std::string key(row.SourceFormat.begin(), row.SourceFormat.end());
        auto known = reached.find(key);
        if (known == reached.end())
            known = reached
                        .emplace(std::move(key),
                                 ChainCanReach(row.SourceFormat.data(), DWORD(row.SourceFormat.size()),
                                               destination.data(), DWORD(destination.size()),
                                               ConversionStreamOpenFlags(lowQuality)))
                        .first;
        if (!known->second)
            unreachable.push_back(row.Path);
    }
    return unreachable;
}

}  // namespace

CommandRows GatherCommandRows(const std::vector<std::string>& paths, const std::vector<BYTE>& destination,
                              const std::string& destinationWords, bool lowQuality)
{
    std::vector<std::string> whole;
    for (const std::string& path : paths)
        whole.push_back(FullPathOf(path));
    GivenFiles given = GatherGivenFiles(whole);
    if (given.Paths.empty())
        return { {}, "Nothing to convert: the given folders hold no .wav file." };
    CommandRows gathered = ReadGivenFiles(given, destination);
    if (!gathered.Error.empty())
        return gathered;
    // The window's list stands in ascending order of the paths, ignoring case.
    std::stable_sort(gathered.Rows.begin(), gathered.Rows.end(), [](const BatchRow& a, const BatchRow& b) {
        return lstrcmpiA(a.Path.c_str(), b.Path.c_str()) < 0;
    });
    std::vector<std::string> unreachable = UnreachableFiles(gathered.Rows, destination, lowQuality);
    if (!unreachable.empty())
        gathered.Error = "Unable to convert " + std::to_string(unreachable.size()) +
                         " of the given files into " + destinationWords +
                         ": no codec converts their audio format into it:\n" +
                         PathListText(unreachable, ShownPaths);
    return gathered;
}

std::string DestinationRefusal(const std::vector<BatchRow>& rows, const std::string& folder)
{
    std::vector<ListedSource> listed;
    for (const BatchRow& row : rows)
        listed.push_back({ row.Path, row.Marked, row.TreeStart });
    return BatchRefusal(listed, folder);
}

std::string DestinationOf(const BatchRow& row, const std::string& folder)
{
    char joined[PathSize];
    if (JoinDestinationPath(folder.c_str(), row.Path.c_str(), joined, sizeof(joined), row.TreeStart) !=
        DestinationJoin::Joined)
        return {};
    return joined;
}

std::vector<size_t> ExistingDestinations(const std::vector<BatchRow>& rows, const std::string& folder)
{
    std::vector<size_t> existing;
    for (size_t index = 0; index < rows.size(); ++index) {
        std::string destination = DestinationOf(rows[index], folder);
        if (!destination.empty() && GetFileAttributesA(destination.c_str()) != INVALID_FILE_ATTRIBUTES)
            existing.push_back(index);
    }
    return existing;
}

std::string ExistingText(const std::vector<std::string>& destinations)
{
    return "Unable to convert: " + std::to_string(destinations.size()) +
           " destination files exist already (--existing skip leaves them, --existing overwrite replaces "
           "them):\n" +
           PathListText(destinations, ShownPaths);
}
