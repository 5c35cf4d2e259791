// The open dialog of the Add Files command and the paths in its result.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "win/path_size.h"

// The open dialog's result: ten thousand names of forty characters fit even
// when each character takes three UTF-8 bytes.
constexpr DWORD OpenResultBytes = 2 * 1024 * 1024;

// What the open dialog answers when the chosen names did not fit into its
// result.
constexpr char SelectionTooLargeMessage[] =
    "Unable to add the chosen files: there are more of them than the program can take at once. "
    "Choose fewer files, or drag their folder onto the window.";

// Shows the open dialog "Source Files" for WAVE files over the window; the
// chosen paths in the dialog's order, none after a cancel. A selection too
// large for the result gives none either, after telling the user so.
std::vector<std::string> AskForSourceFiles(HWND window);

// Every full path of an open dialog result, in the dialog's order, each whole
// (a path too long for the list is refused when it is added, never cut). A
// folder that ends in a backslash (a drive's root) gets no second one.
std::vector<std::string> OpenResultPaths(const char* result);

