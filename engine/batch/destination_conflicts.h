// Before a batch starts: the marked rows whose destination would replace a
// listed source or another marked row's result. No window headers here.
#pragma once
#include <string>
#include <vector>

struct ListedSource {
    std::string Path;  // the row's text: the source's full path
    bool Marked;       // the row has a destination format
    size_t TreeStart = 0;  // where the part its destination keeps begins; 0: the name
};

// The destination path of every marked row that names a listed row's source
// (its own or another's) or the destination of another marked row, in list
// order (a file found in a handed-over folder keeping its path below it), one per such row. Paths are compared whole and without regard to
// case, as the file system compares names. Rows whose destination cannot be
// formed are left to the batch, which tells why.
std::vector<std::string> ConflictingDestinations(const std::vector<ListedSource>& rows, const std::string& folder);

// The message that refuses the batch: the count, the first few of the paths
// each on a line of its own, and how many more there are.
std::string ConflictText(const std::vector<std::string>& destinations);

// The marked rows whose destination path would be longer than a path may be
// (deep below a handed-over folder, or in a deep destination folder), by
// their source paths in list order: refused before the batch, so a batch
// never stops half-way at such a row.
std::vector<std::string> TooLongDestinations(const std::vector<ListedSource>& rows, const std::string& folder);

// The message that refuses the batch for them.
std::string TooLongText(const std::vector<std::string>& sources);

// What refuses a batch before anything is written: the message about the
// too-long destinations, else the one about the conflicting ones; empty when
// the batch may start.
std::string BatchRefusal(const std::vector<ListedSource>& rows, const std::string& folder);
