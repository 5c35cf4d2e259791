// The batch conversion worker.
#include "engine/batch/batch_worker.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include "engine/batch/batch_host.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/destination_path.h"
#include "engine/batch/progress.h"
#include "engine/convert/convert_file.h"
#include "engine/wave/wave_file.h"
#include "win/path_size.h"

namespace {

struct Work {
    BatchJob Job;
    BatchListener* Listener;
};

// Sums the declared data sizes of the marked rows into TotalBytes and counts
// them in MarkedFiles, stopping at a row whose formats could not be read.
// False when the size is not available.
bool MeasureMarkedFiles(const std::vector<BatchRow>& rows)
{
    BatchStatistics.TotalBytes = 0;
    BatchStatistics.MarkedFiles = 0;
    for (const BatchRow& row : rows) {
        if (row.Formats == RowFormats::SourceUnreadable)
            break;
        if (!row.Marked || row.Formats == RowFormats::DestinationUnreadable)
            continue;
        DWORD dataSize = 0;
        if (!ReadDeclaredDataSize(row.Path.c_str(), &dataSize)) {
            BatchStatistics.TotalBytes = 0;
            break;
        }
        BatchStatistics.TotalBytes += dataSize;
        BatchStatistics.MarkedFiles += 1;
    }
    return BatchStatistics.TotalBytes != 0;
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
// stand in its place).
bool CreateTreeFolders(const BatchRow& row, const char* destination)
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
            return false;
        folder += '\\';
    }
    return true;
}

// Walks the rows; returns the worker's exit code. The file line reaches the
// window with the figures, at their pace; a message that stops the batch
// comes under the line of the file it stopped at, so it goes with the line.
DWORD ConvertMarkedRows(const BatchJob& job, BatchListener& listener)
{
    CodecDrivers drivers;
    BatchConversionHost host(listener);
    ConvertOptions options;
    options.BlockSize = job.BlockSize;
    options.LowQuality = job.LowQuality;
    options.KeepMetadata = job.KeepMetadata;
    options.Host = &host;
    char line[ConvertInfoChars] = "";
    auto stop = [&](const char* text) {
        listener.Stopped(line, text);
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

        // A suspension between two files holds the worker here.
        WaitWhileSuspended();

        BatchStatistics.FilesStarted += 1;
        snprintf(line, sizeof(line), "Converting file %s (%lu of %lu) ...", row.Path.c_str(),
                 static_cast<unsigned long>(BatchStatistics.FilesStarted),
                 static_cast<unsigned long>(BatchStatistics.MarkedFiles));
        StartFileLine(line);

        // A folder that cannot be made fails the file as a destination that
        // cannot be created does.
        if (!CreateTreeFolders(row, destination))
            return stop("Unable to convert audio file.");
        ConvertResult result =
            ConvertFile(row.Path.c_str(), row.SourceFormat.data(), DWORD(row.SourceFormat.size()), destination,
                        row.DestinationFormat.data(), DWORD(row.DestinationFormat.size()), &drivers, options);
        if (result == ConvertResult::Converted)
            continue;
        if (result == ConvertResult::Aborted)
            return 0;
        return stop("Unable to convert audio file.");
    }
    return 0;
}

// Measures the marked files, then converts them.
DWORD RunBatch(const BatchJob& job, BatchListener& listener)
{
    if (!MeasureMarkedFiles(job.Rows)) {
        listener.Stopped("", "Unable to calculate size of all files marked for conversion.");
        return 1;
    }
    ResetProgressForBatch(listener);
    listener.Measured();
    return ConvertMarkedRows(job, listener);
}

DWORD WINAPI ConversionThread(LPVOID parameter)
{
    std::unique_ptr<Work> work(static_cast<Work*>(parameter));
    DWORD exitCode = RunBatch(work->Job, *work->Listener);
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
