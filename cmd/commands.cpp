// The console program's commands.
#include "cmd/commands.h"
#include "cmd/command_rows.h"
#include "cmd/console_batch.h"
#include "cmd/format_search.h"
#include "cmd/stop_request.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "sources/leveling.h"
#include "win/command_args.h"
#include "win/path_size.h"

namespace {

// Creates the destination folder and the folders it lies in where they are
// missing; false when one cannot be made.
bool CreateFolderPath(const std::string& folder)
{
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t parent = folder.find_last_of('\\', folder.size() - 2);
    if (parent != std::string::npos && parent > 2 && !CreateFolderPath(folder.substr(0, parent)))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

// Settles the rows whose destination exists as the command asks: with skip
// they are told and left out; with fail their names are the refusal.
std::string SettleExisting(std::vector<BatchRow>& rows, const std::string& folder, ExistingFiles existing,
                           std::vector<std::string>& skipped)
{
    std::vector<std::string> found;
    for (size_t index : ExistingDestinations(rows, folder)) {
        found.push_back(DestinationOf(rows[index], folder));
        if (existing == ExistingFiles::Skip) {
            rows[index].Marked = false;
            skipped.push_back("skipped " + rows[index].Path + " -> " + found.back() + " (exists)");
        }
    }
    return existing == ExistingFiles::Fail && !found.empty() ? ExistingText(found) : std::string();
}

// The job of the marked rows, with the command's options over the stored
// settings.
ConsoleBatch BatchOf(const ConsoleCommand& command, std::vector<BatchRow>& rows, const std::string& folder,
                     const FormatSearchResult& format)
{
    ConsoleBatch batch;
    for (BatchRow& row : rows)
        if (row.Marked)
            batch.Job.Rows.push_back(std::move(row));
    batch.Job.DestinationFolder = folder;
    batch.Job.BlockSize = BlockSizeInBytes(command.BufferSize.value_or(Settings.BufferSize));
    batch.Job.LowQuality = command.LowQuality.value_or(Settings.LowQuality != 0);
    AppSettings chosen = Settings;
    if (command.LevelMode)
        chosen.LevelMode = *command.LevelMode, chosen.LevelTarget = DefaultLevelTarget(*command.LevelMode);
    chosen.LevelTarget = command.LevelTarget.value_or(chosen.LevelTarget);
    batch.Job.Level = LevelingOf(chosen);
    batch.Job.KeepMetadata = command.KeepMetadata.value_or(Settings.KeepMetadata != 0);
    const auto& fields = *reinterpret_cast<const WAVEFORMATEX*>(format.Format.data());
    batch.FormatLabel = FormatLabel(fields.nSamplesPerSec, format.Tag);
    batch.Priority = Settings.Priority;
    batch.Quiet = command.Quiet;
    return batch;
}

}  // namespace

int RunFormatsCommand(const ConsoleCommand& command, ConsoleOutput& output)
{
    FormatSearchResult listing = ListCodecFormats(command.FormatsTag);
    if (!listing.Error.empty()) {
        output.Error(listing.Error);
        return ExitRefused;
    }
    for (const std::string& line : listing.Lines)
        output.Line(line);
    return ExitConverted;
}

int RunConvertCommand(const ConsoleCommand& command, ConsoleOutput& output)
{
    LoadSettings();
    const bool lowQuality = command.LowQuality.value_or(Settings.LowQuality != 0);
    FormatSearchResult format = FindDestinationFormat(*command.Tag, *command.Details);
    std::string folder = FullPathOf(command.Folder);
    CommandRows gathered;
    if (format.Error.empty() && folder.size() >= PathSize)
        format.Error = "Unable to convert: the destination folder's path is too long.";
    if (format.Error.empty())
        gathered = GatherCommandRows(command.Paths, format.Format, format.Tag + " \"" + format.Details + "\"",
                                     lowQuality);
    std::string refusal = !format.Error.empty() ? format.Error : gathered.Error;
    // Skipped rows write nothing, so they are left out before the window's
    // check of the destinations; with fail, the check comes first, as a
    // destination that is a source exists as well.
    std::vector<std::string> skipped;
    if (refusal.empty() && command.Existing == ExistingFiles::Skip)
        refusal = SettleExisting(gathered.Rows, folder, command.Existing, skipped);
    if (refusal.empty())
        refusal = DestinationRefusal(gathered.Rows, folder);
    if (refusal.empty() && command.Existing == ExistingFiles::Fail)
        refusal = SettleExisting(gathered.Rows, folder, command.Existing, skipped);
    // A stop asked for while the files were read writes nothing at all.
    if (refusal.empty() && StopAsked())
        return ExitStopped;
    if (refusal.empty() && !CreateFolderPath(folder))
        refusal = "Unable to create the destination folder " + folder + ".";
    if (!refusal.empty()) {
        output.Error(refusal);
        return ExitRefused;
    }
    for (const std::string& line : skipped)
        if (!command.Quiet)
            output.Line(line);
    ConsoleBatch batch = BatchOf(command, gathered.Rows, folder, format);
    return batch.Job.Rows.empty() ? ExitConverted : RunConsoleBatch(std::move(batch), output);
}
