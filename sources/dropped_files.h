// Files and folders dropped from the shell onto the main window join the
// source file list as Add Files adds them.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>

// How many paths the message about refused files names.
constexpr size_t ShownRefusedPaths = 5;

// WM_DROPFILES: adds each dropped file, and the .wav files inside each
// dropped folder and its sub-folders, to the list; a file found in a folder
// keeps its path below that folder for its destination, so the folder's tree
// is kept below the destination folder. Skips files the list holds already;
// tells in one message about those that could not be added. Ignores
// a drop while a batch runs, as the Add Files button is disabled then.
// Releases the drop in every case.
void AddDroppedFiles(HWND window, HDROP drop);

// What a drop does with its items, for paths handed over in another way (the
// command line): files and folders, in the order given.
void AddGivenPaths(HWND window, const std::vector<std::string>& items);

// The message about the dropped files that were not added, given their paths
// in the order of the drop and the reason why the first was not: for one
// file that reason alone, worded as Add Files words it; for more, how many
// there were and the first ShownRefusedPaths of their paths.
std::string RefusedDropText(const std::vector<std::string>& paths, const char* firstReason);
