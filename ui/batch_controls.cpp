// The controls a batch locks and their saved states.
#include "ui/batch_controls.h"
#include <shellapi.h>
#include "res/resource.h"

namespace {

// In the order in which a start disables them.
const int DisabledDuringConversion[] = {IDC_SETTINGS, IDC_FILE_LIST, IDC_ADD_FILES,
                                        IDC_REMOVE_FILE, IDC_DESTINATION, IDC_SELECT_FORMAT};
constexpr int DisabledCount = int(sizeof(DisabledDuringConversion) / sizeof(DisabledDuringConversion[0]));
BOOL SavedEnableStates[DisabledCount] = {};

}  // namespace

void DisableBatchControls(HWND window)
{
    for (int i = 0; i < DisabledCount; ++i)
        SavedEnableStates[i] = EnableWindow(GetDlgItem(window, DisabledDuringConversion[i]), FALSE) == 0;
    // A drop adds rows like the Add button, which is locked now too.
    DragAcceptFiles(window, FALSE);
}

void GiveBackEnableStates(HWND window)
{
    for (int i = 0; i < DisabledCount; ++i)
        EnableWindow(GetDlgItem(window, DisabledDuringConversion[i]), SavedEnableStates[i]);
    DragAcceptFiles(window, TRUE);
}
