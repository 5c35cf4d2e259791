// Destination paths.
#include "engine/batch/destination_path.h"
#include <cstring>

namespace {

// A path below a folder that stays inside it: steps that are neither empty
// nor "." nor "..", parted by backslashes, with no drive, stream or other
// separator in them.
bool StaysInsideFolder(const char* relative)
{
    if (*relative == '\0' || strpbrk(relative, ":/") != nullptr)
        return false;
    for (const char* step = relative;;) {
        const char* end = strchr(step, '\\');
        size_t length = end != nullptr ? size_t(end - step) : strlen(step);
        if (length == 0 || (step[0] == '.' && (length == 1 || (length == 2 && step[1] == '.'))))
            return false;
        if (end == nullptr)
            return true;
        step = end + 1;
    }
}

}  // namespace

DestinationJoin JoinDestinationPath(const char* folder, const char* sourcePath, char* out, size_t outSize,
                                    size_t treeStart)
{
    if (outSize > 0)
        out[0] = '\0';
    const char* lastBackslash = strrchr(sourcePath, '\\');
    if (lastBackslash == nullptr)
        return DestinationJoin::NoBackslash;
    const char* name = lastBackslash + 1;
    if (treeStart != 0) {
        if (treeStart > strlen(sourcePath) || !StaysInsideFolder(sourcePath + treeStart))
            return DestinationJoin::OutsideFolder;
        name = sourcePath + treeStart;
    }

    size_t folderLength = strlen(folder);
    bool needsBackslash = folderLength == 0 || folder[folderLength - 1] != '\\';
    size_t total = folderLength + (needsBackslash ? 1 : 0) + strlen(name);
    if (total >= outSize)
        return DestinationJoin::TooLong;

    memcpy(out, folder, folderLength);
    size_t at = folderLength;
    if (needsBackslash)
        out[at++] = '\\';
    memcpy(out + at, name, strlen(name) + 1);
    return DestinationJoin::Joined;
}
