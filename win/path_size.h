// The longest path the program keeps, in bytes with its terminator: a row of
// the source list, the destination folder and a destination path each hold
// at most 255 bytes. A longer path is refused with a message, never cut.
#pragma once
#include <cstddef>

constexpr size_t PathSize = 256;
