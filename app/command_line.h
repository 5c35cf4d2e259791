// Files and folders named on the command line (the shell's Send To, a drop
// onto the program's icon, Open with) join the source file list as dropped
// ones do.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The arguments of a command line without the program's name, split as the
// C runtime splits them: blanks and tabs separate, double quotes group (so a
// quoted path with blanks is one argument), backslashes are literal except
// before a double quote, where 2n of them stand for n and 2n+1 for n and a
// literal quote.
std::vector<std::string> SplitCommandLine(const char* arguments);

// Adds each named path, made absolute against the current folder, as a drop
// of the same paths would add it; nothing when none is named.
void AddCommandLinePaths(HWND window, const char* arguments);
