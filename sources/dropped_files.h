// Files and folders dropped from the shell onto the main window join the
// source file list as Add Files adds them.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>
#include "sources/given_files.h"

// WM_DROPFILES: adds each dropped file, and the .wav files inside each
// dropped folder and its sub-folders, to the list; a file found in a folder
// keeps its path below that folder for its destination, so the folder's tree
// is kept below the destination folder. Skips files the list holds already;
// tells in one message about those that could not be added and those listed
// without a description of their format. Ignores
// a drop while a batch runs, as the Add Files button is disabled then.
// Releases the drop in every case.
void AddDroppedFiles(HWND window, HDROP drop);

// What a drop does with its items, also for paths handed over in another way
// (the command line): files and folders, in the order given. One message
// tells which files were refused and which stand in the list without a
// description of their format.
void AddGivenPaths(HWND window, const std::vector<std::string>& items, GivenBy by);
