// The size limit of a stored format, shared by the file reader that takes a
// source's "fmt " chunk and by everything that copies or guards a format.
#pragma once
#include <windows.h>

// The largest "fmt " chunk accepted from a source file.
constexpr DWORD MaxFormatBytes = 1024;
