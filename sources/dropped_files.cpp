// Files and folders dropped onto the main window.
#include "sources/dropped_files.h"
#include <algorithm>
#include <cstring>
#include <set>
#include "engine/batch/batch_steering.h"
#include "engine/batch/path_list.h"
#include "win/handles.h"
#include "sources/selection_summary.h"
#include "sources/source_list.h"
#include "win/user_prompts.h"

namespace {

struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Handle h) { return FindClose(h) != FALSE; }
};
using FindHandle = UniqueHandle<FindTraits>;

bool IgnoringCaseLess(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }

bool HasWaveExtension(const char* name)
{
    size_t length = strlen(name);
    return length > 4 && lstrcmpiA(name + length - 4, ".wav") == 0;
}

// The files that given items stand for, in order, and for each where the
// part of its path below the folder it was handed over in begins (0 for a
// file handed over by itself): its destination keeps that part.
struct GivenFiles {
    std::vector<std::string> Paths;
    std::vector<DWORD> TreeStarts;
};

// The folder with one backslash at its end, as the paths inside it begin.
std::string FolderPrefix(const std::string& folder)
{
    return folder.empty() || folder.back() != '\\' ? folder + '\\' : folder;
}

// Adds the .wav files of a folder and its sub-folders, each folder's in the
// order of their names, so the same drop always gives the same order.
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

// The dropped items in the order of the drop, each path whole: the drop
// tells each one's length first, so none is cut to a buffer.
std::vector<std::string> DroppedItems(HDROP drop)
{
    std::vector<std::string> items;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        UINT length = DragQueryFileA(drop, index, nullptr, 0);
        if (length == 0)
            continue;
        std::string path(length + 1, '\0');
        UINT copied = DragQueryFileA(drop, index, path.data(), length + 1);
        path.resize(copied < length ? copied : length);
        items.push_back(path);
    }
    return items;
}

// The files that the given items stand for, each once: a file as it was
// given, a folder as the .wav files inside it.
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
    // A file given both by itself and within its folder counts once, as it
    // came first.
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

// The message about the files that did not join the list as they should,
// or nothing when all did: for one file refused alone its reason, worded as
// Add Files words it; else how many were refused and how many stand in the
// list without a description of their format, each with the first
// ShownRefusedPaths of their paths.
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

}  // namespace

void AddDroppedFiles(HWND window, HDROP drop)
{
    // A batch reads the rows while it runs, so nothing may change them.
    if (IsConversionActive()) {
        DragFinish(drop);
        return;
    }
    std::vector<std::string> items = DroppedItems(drop);
    DragFinish(drop);
    AddGivenPaths(window, items, GivenBy::Drop);
}

void AddGivenPaths(HWND window, const std::vector<std::string>& items, GivenBy by)
{
    GivenFiles given = GatherGivenFiles(items);
    const std::vector<std::string>& files = given.Paths;
    std::vector<AddOutcome> outcomes = AddSourcePaths(window, files, given.TreeStarts);
    std::vector<std::string> refused, undescribed;
    std::string firstReason;
    for (size_t index = 0; index < files.size(); ++index) {
        if (outcomes[index].Message == nullptr)
            continue;
        if (outcomes[index].Listed) {
            undescribed.push_back(files[index]);
            continue;
        }
        if (firstReason.empty())
            firstReason = AddOutcomeText(files[index].c_str(), outcomes[index]);
        refused.push_back(files[index]);
    }
    UpdateSelectionButtons(window);
    ShowSelectionSummary(window);
    // Told only after the list shows what was added.
    std::string text = GivenFilesText(refused, firstReason, undescribed, by);
    if (!text.empty())
        ShowError(window, text.c_str());
}
