// The batch conversion worker.
#include "engine/batch/batch_worker.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include "engine/batch/batch_host.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/destination_path.h"
#include "engine/batch/path_list.h"
#include "engine/batch/progress.h"
#include "engine/convert/convert_file.h"
#include "engine/wave/wave_file.h"
#include "win/path_size.h"

namespace {

struct Work {
    BatchJob Job;
    BatchListener* Listener;
};

// How many paths the size pass's message names.
constexpr size_t ShownUnmeasured = 5;

// Sums the declared data sizes of the marked rows into TotalBytes and counts
// them in MarkedFiles, stopping at a row whose formats could not be read;
// files brought to a level are read twice and count twice. Empty when the
// size is available, else the message that says so: the file that could not
// be measured (deleted or changed since it was added) with what failed, or
// the paths of several.
std::string MeasureMarkedFiles(const std::vector<BatchRow>& rows, const Leveling& level)
{
    std::string text = "Unable to calculate size of all files marked for conversion.";
    const uint64_t passes = level.Mode == LevelingMode::AsRecorded ? 1 : 2;
    std::vector<std::string> unmeasured;
    Failure firstWhy;
    BatchStatistics.TotalBytes = 0;
    BatchStatistics.MarkedFiles = 0;
    for (const BatchRow& row : rows) {
        if (row.Formats == RowFormats::SourceUnreadable)
            break;
        if (!row.Marked || row.Formats == RowFormats::DestinationUnreadable)
            continue;
        DWORD dataSize = 0;
        Failure why;
        if (!ReadDeclaredDataSize(row.Path.c_str(), &dataSize, &why)) {
            if (unmeasured.empty())
                firstWhy = why;
            unmeasured.push_back(row.Path);
            continue;
        }
        BatchStatistics.TotalBytes += dataSize * passes;
        BatchStatistics.MarkedFiles += 1;
    }
    if (unmeasured.empty())
        return BatchStatistics.TotalBytes != 0 ? std::string() : text;
    text += '\n';
    if (unmeasured.size() > 1)
        text += PathListText(unmeasured, ShownUnmeasured);
    else if (std::string line = FailureLine(unmeasured.front().c_str(), firstWhy); !line.empty())
        text += line;
    else
        text += unmeasured.front();
    return text;
}

// What stops the batch at a row before anything of it is created, so no file
// is left behind; null when the row converts or is passed over.
const char* RowRefusal(const BatchRow& row, DestinationJoin joined)
{
    // The folder walk never gives a part below its folder that would leave
    // the destination folder; should a row hold one, it is refused as a
    // name without a folder is.
    if (joined == DestinationJoin::NoBackslash || joined == DestinationJoin::OutsideFolder)
        return "Invalid filename encountered.";
    if (row.Formats == RowFormats::SourceUnreadable)
        return "Unable to lock memory of source format information.";
    if (!row.Marked)
        return nullptr;
    if (row.Formats == RowFormats::DestinationUnreadable)
        return "Unable to lock memory of destination  format information.";
    if (joined == DestinationJoin::TooLong)
        return "Unable to convert audio file: the destination path is too long.";
    return nullptr;
}

// Creates, level by level, the folders that a destination below a
// handed-over folder's tree lies in, inside the destination folder: the
// steps of the row's part below its folder but its file name. A folder there
// already is used; false when one cannot be created (a file of that name may
// stand in its place), and why.
bool CreateTreeFolders(const BatchRow& row, const char* destination, Failure* why)
{
    if (row.TreeStart == 0)
        return true;
    size_t partLength = row.Path.size() - row.TreeStart;
    std::string folder(destination, strlen(destination) - partLength);
    for (size_t at = row.TreeStart, end; (end = row.Path.find('\\', at)) != std::string::npos; at = end + 1) {
        folder.append(row.Path, at, end - at);
        DWORD attributes = GetFileAttributesA(folder.c_str());
        bool exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!exists && !CreateDirectoryA(folder.c_str(), nullptr))
            return Tell(why, LastErrorFailure(FailureCause::CreatingFolder)), false;
        folder += '\\';
    }
    return true;
}

FileOutcome OutcomeOf(ConvertResult result)
{
    return result == ConvertResult::Converted ? FileOutcome::Converted
           : result == ConvertResult::Aborted ? FileOutcome::Aborted
                                              : FileOutcome::Failed;
}

// One marked row: the folders it lies in, then the file. Any failure fails
// the file and tells why, a failed allocation as well.
ConvertResult ConvertRow(const BatchRow& row, const char* destination, CodecDrivers& drivers, ConvertOptions options,
                         Failure& why)
{
    try {
        // A folder that cannot be made fails the file as a destination that
        // cannot be created does.
        if (!CreateTreeFolders(row, destination, &why))
            return ConvertResult::Failed;
        options.Why = &why;
        return ConvertFile(row.Path.c_str(), row.SourceFormat.data(), DWORD(row.SourceFormat.size()), destination,
                           row.DestinationFormat.data(), DWORD(row.DestinationFormat.size()), &drivers, options);
    } catch (const std::bad_alloc&) {
        why = {FailureCause::OutOfMemory, ERROR_NOT_ENOUGH_MEMORY};
        return ConvertResult::Failed;
    }
}

// The file a failure concerns: the source for what failed reading it or
// converting its format, else the destination.
const char* FailedFile(const BatchRow& row, const char* destination, const Failure& why)
{
    switch (why.Cause) {
    case FailureCause::OpeningSource:
    case FailureCause::Reading:
    case FailureCause::CodecRefused:
        return row.Path.c_str();
    default:
        return destination;
    }
}

// Walks the rows; returns the worker's exit code. The file line reaches the
// window with the figures, at their pace; a message that stops the batch
// comes under the line of the file it stopped at, so it goes with the line.
// Files that the ceiling held short of the speech level go into shortOfLevel.
DWORD ConvertMarkedRows(const BatchJob& job, BatchListener& listener, std::vector<std::string>& shortOfLevel)
{
    CodecDrivers drivers;
    BatchConversionHost host(listener);
    ConvertOptions options;
    options.BlockSize = job.BlockSize;
    options.LowQuality = job.LowQuality;
    options.KeepMetadata = job.KeepMetadata;
    options.Host = &host;
    options.Level = job.Level;
    LevelDecision level;
    options.Leveled = &level;
    char line[ConvertInfoChars] = "";
    auto stop = [&](const std::string& text) {
        listener.Stopped(line, text.c_str());
        return DWORD(1);
    };

    for (const BatchRow& row : job.Rows) {
        char destination[PathSize];
        DestinationJoin joined =
            JoinDestinationPath(job.DestinationFolder.c_str(), row.Path.c_str(), destination, sizeof(destination),
                                row.TreeStart);
        if (const char* refusal = RowRefusal(row, joined))
            return stop(refusal);
        if (!row.Marked)
            continue;

        // A suspension between two files holds the worker here; an abort
        // given then, or at any time before, ends the batch before anything
        // of this row is created or emptied.
        if (IsAbortRequested())
            return 0;

        BatchStatistics.FilesStarted += 1;
        snprintf(line, sizeof(line), "Converting file %s (%lu of %lu) ...", row.Path.c_str(),
                 static_cast<unsigned long>(BatchStatistics.FilesStarted),
                 static_cast<unsigned long>(BatchStatistics.MarkedFiles));
        StartFileLine(line);

        const uint64_t consumed = BatchStatistics.ConsumedBytes, produced = BatchStatistics.ProducedBytes;
        level = LevelDecision();
        Failure why;
        ConvertResult result = ConvertRow(row, destination, drivers, options, why);
        listener.FileEnded(row, destination,
                           { OutcomeOf(result), BatchStatistics.ConsumedBytes - consumed,
                             BatchStatistics.ProducedBytes - produced });
        if (result == ConvertResult::Converted) {
            if (level.Short)
                shortOfLevel.push_back(row.Path);
            continue;
        }
        if (result == ConvertResult::Aborted)
            return 0;
        return stop(WithFailureLine("Unable to convert audio file.", FailedFile(row, destination, why), why));
    }
    return 0;
}

// Measures the marked files, then converts them. The files that could not
// reach the speech level are named once, also when the batch stopped early:
// they are converted all the same.
DWORD RunBatch(const BatchJob& job, BatchListener& listener)
{
    std::string unmeasured = MeasureMarkedFiles(job.Rows, job.Level);
    if (!unmeasured.empty()) {
        listener.Stopped("", unmeasured.c_str());
        return 1;
    }
    ResetProgressForBatch(listener);
    listener.Measured();
    std::vector<std::string> shortOfLevel;
    DWORD exitCode = ConvertMarkedRows(job, listener, shortOfLevel);
    if (!shortOfLevel.empty())
        listener.Noticed(ShortOfLevelText(shortOfLevel).c_str());
    return exitCode;
}

DWORD WINAPI ConversionThread(LPVOID parameter)
{
    std::unique_ptr<Work> work(static_cast<Work*>(parameter));
    DWORD exitCode = 1;
    try {
        exitCode = RunBatch(work->Job, *work->Listener);
    } catch (const std::bad_alloc&) {
        // Outside any one file: the batch ends as after a failure.
        work->Listener->Stopped("", "Unable to convert audio file.");
    }
    // Everything the window's thread may still use (the handles, the state,
    // the controls) is released there once this thread has ended.
    work->Listener->Ended(exitCode);
    return exitCode;
}

}  // namespace

bool StartConversionThread(BatchJob job, BatchListener& listener, int priority)
{
    auto work = std::make_unique<Work>(Work{ std::move(job), &listener });
    HANDLE thread = CreateThread(nullptr, 0, ConversionThread, work.get(), 0, nullptr);
    if (thread == nullptr)
        return false;
    work.release();  // the worker's now
    Conversion.Thread.Attach(thread);
    SetThreadPriority(thread, priority);
    return true;
}
