// Paths listed in a message.
#include "engine/batch/path_list.h"

std::string PathListText(const std::vector<std::string>& paths, size_t shown)
{
    std::string text;
    if (shown > paths.size())
        shown = paths.size();
    for (size_t index = 0; index < shown; ++index)
        text += "\n" + paths[index];
    if (paths.size() > shown)
        text += "\nand " + std::to_string(paths.size() - shown) + " more.";
    return text;
}

std::string ShortOfLevelText(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return {};
    return std::to_string(paths.size()) + " files could not reach the speech level without clipping:\n" +
           PathListText(paths, 5);
}
