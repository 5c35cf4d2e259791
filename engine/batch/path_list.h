// The list of paths that a message about many files ends with. No window
// headers here.
#pragma once
#include <string>
#include <vector>

// The first shown of the paths, each on a line of its own, then a line that
// tells how many more there are: "\n<path>...\nand <K> more.".
std::string PathListText(const std::vector<std::string>& paths, size_t shown);

// After a batch that brought its files to a speech level: the files whose
// level the ceiling held more than half a dB short of the target, named
// once for the whole batch; empty when there are none.
std::string ShortOfLevelText(const std::vector<std::string>& paths);
