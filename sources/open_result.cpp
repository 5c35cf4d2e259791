// The Add Files open dialog and its result.
#include "sources/open_result.h"
#include <commdlg.h>
#include <cstring>
#include "win/user_prompts.h"

std::vector<std::string> AskForSourceFiles(HWND window)
{
    static const char filter[] = "WAVE audio files (*.WAV)\0*.WAV\0All Files (*.*)\0*.*\0";
    std::vector<char> result(OpenResultBytes, '\0');

    OPENFILENAMEA dialog = {};
    // The record without the fields added after version 4, which every
    // version of the dialog takes; its size differs between 32 and 64 bits.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = result.data();
    dialog.nMaxFile = OpenResultBytes;
    dialog.lpstrTitle = "Source Files";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "WAV";
    if (!ShowOpenDialog(&dialog)) {
        // A cancel says nothing; a selection that did not fit would otherwise
        // look like one, with none of the chosen files added.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ShowError(window, SelectionTooLargeMessage);
        return {};
    }
    result.back() = '\0';
    result[result.size() - 2] = '\0';
    return OpenResultPaths(result.data());
}

std::vector<std::string> OpenResultPaths(const char* result)
{
    std::vector<std::string> paths;
    if (result == nullptr || result[0] == '\0')
        return paths;
    std::string folder = result;
    const char* name = result + folder.size() + 1;
    if (*name == '\0') {
        paths.push_back(folder);
        return paths;
    }
    if (folder.back() != '\\')
        folder += '\\';
    for (; *name != '\0'; name += strlen(name) + 1)
        paths.push_back(folder + name);
    return paths;
}
