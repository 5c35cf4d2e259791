// The arguments of a command line, and the paths they name made whole. No
// window here: the window's command line and the console program share it.
#pragma once
#include <string>
#include <vector>

// The arguments of a command line without the program's name, split as the
// C runtime splits them: blanks and tabs separate, double quotes group (so a
// quoted path with blanks is one argument), backslashes are literal except
// before a double quote, where 2n of them stand for n and 2n+1 for n and a
// literal quote.
std::vector<std::string> SplitCommandLine(const char* arguments);

// The path made absolute against the current folder, sized by the answer
// and never cut; the path as given when the system cannot make it whole.
std::string FullPathOf(const std::string& path);
