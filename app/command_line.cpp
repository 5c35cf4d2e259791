// Paths handed to the program on its command line.
#include "app/command_line.h"
#include "sources/dropped_files.h"
#include "win/command_args.h"

void AddCommandLinePaths(HWND window, const char* arguments)
{
    std::vector<std::string> paths = SplitCommandLine(arguments);
    if (paths.empty())
        return;
    for (std::string& path : paths)
        path = FullPathOf(path);
    AddGivenPaths(window, paths, GivenBy::CommandLine);
}
