// The rows of a console batch: the files that the given paths stand for,
// taken as the window takes them (a folder's .wav files keep their places
// below it), each checked as Add Files checks it and marked with the one
// destination format, in the order the window's list would give them; and
// what refuses them before anything is written.
#pragma once
#include <string>
#include <vector>
#include "cmd/arguments.h"
#include "engine/batch/batch_job.h"

struct CommandRows {
    std::vector<BatchRow> Rows;
    std::string Error;  // why the batch is refused; empty when it may go on
};

// Refused with the window's words when a file would not join the list or
// the converter cannot reach the destination from its format; also when
// the paths name no file at all.
CommandRows GatherCommandRows(const std::vector<std::string>& paths, const std::vector<BYTE>& destination,
                              const std::string& destinationWords, bool lowQuality);

// The window's refusal of destinations too long or overwriting a source or
// each other; empty when there is none.
std::string DestinationRefusal(const std::vector<BatchRow>& rows, const std::string& folder);

// The destination path of a row in the folder; empty when none can be formed
// (the batch tells why).
std::string DestinationOf(const BatchRow& row, const std::string& folder);

// The rows whose destination exists, by their indexes.
std::vector<size_t> ExistingDestinations(const std::vector<BatchRow>& rows, const std::string& folder);

// The message that refuses a batch whose destinations exist.
std::string ExistingText(const std::vector<std::string>& destinations);
