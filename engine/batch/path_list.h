// The list of paths that a message about many files ends with. No window
// headers here.
#pragma once
#include <string>
#include <vector>

// The first shown of the paths, each on a line of its own, then a line that
// tells how many more there are: "\n<path>...\nand <K> more.".
std::string PathListText(const std::vector<std::string>& paths, size_t shown);
