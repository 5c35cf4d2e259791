// Gathering the files that handed-over paths stand for.
#include "sources/given_files.h"
#include <algorithm>
#include <cstring>
#include <set>
#include "engine/batch/path_list.h"
#include "win/handles.h"

namespace {

bool IgnoringCaseLess(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }

bool HasWaveExtension(const char* name)
{
    size_t length = strlen(name);
    return length > 4 && lstrcmpiA(name + length - 4, ".wav") == 0;
}

// The folder with one backslash at its end, as the paths inside it begin.
std::string FolderPrefix(const std::string& folder)
{
    return folder.empty() || folder.back() != '\\' ? folder + '\\' : folder;
}

// Adds the .wav files of a folder and its sub-folders, each folder's in the
// order of their names.
void GatherFolder(const std::string& folder, DWORD treeStart, GivenFiles& given)
{
    std::string prefix = FolderPrefix(folder);
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA((prefix + "*").c_str(), &found));
    if (!search)
        return;
    std::vector<std::string> files, folders;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
            continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            // A link to a folder could lead back to where the walk began.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                folders.push_back(prefix + found.cFileName);
        } else if (HasWaveExtension(found.cFileName)) {
            files.push_back(prefix + found.cFileName);
        }
    } while (FindNextFileA(search.Get(), &found));
    std::sort(files.begin(), files.end(), IgnoringCaseLess);
    std::sort(folders.begin(), folders.end(), IgnoringCaseLess);
    given.Paths.insert(given.Paths.end(), files.begin(), files.end());
    given.TreeStarts.insert(given.TreeStarts.end(), files.size(), treeStart);
    for (const std::string& inner : folders)
        GatherFolder(inner, treeStart, given);
}

}  // namespace

GivenFiles GatherGivenFiles(const std::vector<std::string>& items)
{
    GivenFiles gathered;
    for (const std::string& item : items) {
        DWORD attributes = GetFileAttributesA(item.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            GatherFolder(item, DWORD(FolderPrefix(item).size()), gathered);
        } else {
            gathered.Paths.push_back(item);
            gathered.TreeStarts.push_back(0);
        }
    }
    std::set<std::string, bool (*)(const std::string&, const std::string&)> seen(IgnoringCaseLess);
    GivenFiles files;
    for (size_t index = 0; index < gathered.Paths.size(); ++index) {
        if (!seen.insert(gathered.Paths[index]).second)
            continue;
        files.Paths.push_back(std::move(gathered.Paths[index]));
        files.TreeStarts.push_back(gathered.TreeStarts[index]);
    }
    return files;
}

std::string GivenFilesText(const std::vector<std::string>& refused, const std::string& firstReason,
                           const std::vector<std::string>& undescribed, GivenBy by)
{
    if (refused.size() == 1 && undescribed.empty())
        return firstReason;
    const std::string ofThem = by == GivenBy::Drop ? " of the dropped files" : " of the given files";
    std::string text;
    if (!refused.empty())
        text = "Unable to add " + std::to_string(refused.size()) + ofThem + ":\n" +
               PathListText(refused, ShownRefusedPaths);
    if (!undescribed.empty())
        text += (text.empty() ? "" : "\n\n") + std::string("Unable to describe the audio format of ") +
                std::to_string(undescribed.size()) + ofThem + ", listed without a description:\n" +
                PathListText(undescribed, ShownRefusedPaths);
    return text;
}
