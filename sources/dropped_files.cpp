// Files and folders dropped onto the main window.
#include "sources/dropped_files.h"
#include "engine/batch/batch_steering.h"
#include "sources/selection_summary.h"
#include "sources/source_list.h"
#include "win/user_prompts.h"

namespace {

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
        if (outcomes[index].Message.empty())
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
