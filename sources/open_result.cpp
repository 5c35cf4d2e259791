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
    // The record without the fields added after version 4, as the dialog has
    // always been asked; its size differs between 32 and 64 bits.
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

bool GetOpenResultPath(const char* result, char (&path)[PathSize], int n)
{
    if (n < 1 || result == nullptr || result[0] == '\0')
        return false;
    size_t firstLength = strlen(result);
    const char* next = result + firstLength + 1;
    if (*next == '\0') {
        if (n != 1 || firstLength >= PathSize)
            return false;
        memcpy(path, result, firstLength + 1);
        return true;
    }

    const char* name = next;
    for (int step = 1; step < n; ++step) {
        name += strlen(name) + 1;
        if (*name == '\0')
            return false;
    }
    size_t nameLength = strlen(name);
    if (firstLength + nameLength + 1 >= PathSize)
        return false;
    memcpy(path, result, firstLength);
    path[firstLength] = '\\';
    memcpy(path + firstLength + 1, name, nameLength + 1);
    return true;
}
