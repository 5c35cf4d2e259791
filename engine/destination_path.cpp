// Destination paths.
#include "engine/destination_path.h"
#include <cstring>

DestinationJoin JoinDestinationPath(const char* folder, const char* sourcePath, char* out, size_t outSize)
{
    if (outSize > 0)
        out[0] = '\0';
    const char* lastBackslash = strrchr(sourcePath, '\\');
    if (lastBackslash == nullptr)
        return DestinationJoin::NoBackslash;
    const char* name = lastBackslash + 1;

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
