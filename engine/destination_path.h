// Forming a destination path: the destination folder, a backslash unless the
// folder ends with one, and the source's file name.
#pragma once
#include <cstddef>

enum class DestinationJoin { Joined, NoBackslash, TooLong };

// Writes the path into out (outSize bytes, terminator included). NoBackslash
// when the source path holds no backslash to take the file name after;
// TooLong when the path would not fit, and out is then empty.
DestinationJoin JoinDestinationPath(const char* folder, const char* sourcePath, char* out, size_t outSize);
