// Files and folders named on the command line (the shell's Send To, a drop
// onto the program's icon, Open with) join the source file list as dropped
// ones do.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Adds each named path, made absolute against the current folder, as a drop
// of the same paths would add it; nothing when none is named.
void AddCommandLinePaths(HWND window, const char* arguments);
