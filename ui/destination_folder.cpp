// The destination folder and its line.
#include "ui/destination_folder.h"
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include "res/resource.h"
#include "settings/settings.h"
#include "win/user_prompts.h"

void ShowDestinationLine(HWND window)
{
    // Room for the longest folder the settings hold, so the line is never cut.
    char line[sizeof("Current destination directory is ") + PathSize];
    snprintf(line, sizeof(line), "Current destination directory is %s", Settings.DestinationPath);
    SetDlgItemTextA(window, IDC_DEST_INFO, line);
}

bool BrowseDestinationFolder(HWND window)
{
    char displayName[MAX_PATH] = "";
    BROWSEINFOA browse = {};
    browse.hwndOwner = window;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = "Destination Folder";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = ShowFolderBrowser(&browse);
    if (chosen == nullptr)
        return false;
    // A path longer than the buffer in bytes can come back cut and without
    // its terminator; the byte behind the buffer stays zero and tells.
    char path[MAX_PATH + 1] = "";
    BOOL isFolder = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!isFolder)
        return false;
    if (strnlen(path, MAX_PATH + 1) >= sizeof(Settings.DestinationPath)) {
        ShowError(window, "Unable to use the selected folder: its path is too long.");
        return false;
    }
    lstrcpynA(Settings.DestinationPath, path, sizeof(Settings.DestinationPath));
    return true;
}
