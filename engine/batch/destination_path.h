// Forming a destination path: the destination folder, a backslash unless the
// folder ends with one, and the source's file name, or, for a file found in a
// handed-over folder, its path below that folder.
#pragma once
#include <cstddef>

enum class DestinationJoin { Joined, NoBackslash, TooLong, OutsideFolder };

// Writes the path into out (outSize bytes, terminator included). treeStart
// is where the source path's part below its handed-over folder begins, 0 to
// take the file name after the last backslash. NoBackslash when the source
// path holds no backslash; OutsideFolder when the part below the folder is
// no plain relative path that stays inside the destination folder (empty, a
// drive, a leading backslash, "." or ".." or an empty step); TooLong when
// the path would not fit. Out is empty unless Joined.
DestinationJoin JoinDestinationPath(const char* folder, const char* sourcePath, char* out, size_t outSize,
                                    size_t treeStart = 0);
