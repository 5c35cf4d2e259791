// What a batch is handed: the job (every row of the source list as plain
// values, the destination folder, the block size and the quality) and the
// listener through which the worker tells what becomes of it. The worker
// knows no window; whoever starts it implements the listener.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "engine/chain/level_meter.h"

// Whether a row's stored formats could be read when the job was made. A row
// that could not be read stops the batch when the walk comes to it.
enum class RowFormats : BYTE { Read, SourceUnreadable, DestinationUnreadable };

struct BatchRow {
    std::string Path;
    // Where the part of Path that the destination keeps below the destination
    // folder begins, for a file found in a handed-over folder; 0: the name.
    DWORD TreeStart = 0;
    bool Marked = false;  // a destination format was chosen for the row
    RowFormats Formats = RowFormats::Read;
    std::vector<BYTE> SourceFormat;
    std::vector<BYTE> DestinationFormat;
};

struct BatchJob {
    std::vector<BatchRow> Rows;  // in list order
    std::string DestinationFolder;
    DWORD BlockSize = 0;         // source bytes read per conversion step
    bool LowQuality = false;     // the codecs may trade quality for speed
    Leveling Level;              // every file brought to one level, or as recorded
    bool KeepMetadata = false;   // destinations keep the sources' titles, markers and loops
};

// How a marked file's conversion ended, and the audio bytes it consumed of
// its source and wrote to its destination.
enum class FileOutcome : BYTE { Converted, Failed, Aborted };
struct FileEnd {
    FileOutcome Outcome;
    uint64_t SourceBytes;
    uint64_t DestinationBytes;
};

// Every call comes on the worker's thread.
class BatchListener {
public:
    // The marked files are measured; the conversion begins.
    virtual void Measured() = 0;
    // New progress figures wait to be taken (TakeLatestProgress). Must not
    // wait for anyone; false when the news could not be passed on, so that
    // the next figures try again.
    virtual bool FiguresPublished() = 0;
    // The batch stops on a failure. fileLine names the file it stopped at
    // (empty before the first file) and goes with the message; returns once
    // the user has read text.
    virtual void Stopped(const char* fileLine, const char* text) = 0;
    // A marked file is done with, before the batch goes on or stops; the
    // window leaves this to its progress rows.
    virtual void FileEnded(const BatchRow& row, const char* destination, const FileEnd& end)
    {
        (void)row, (void)destination, (void)end;
    }
    // After the last file the batch converted, something the user should
    // know of it that is no failure; returns once the user has read text.
    virtual void Noticed(const char* text) = 0;
    // The worker's last act: exit code 0 when the walk ended or the user
    // aborted, 1 when the batch stopped on a failure.
    virtual void Ended(DWORD exitCode) = 0;

protected:
    ~BatchListener() = default;
};
