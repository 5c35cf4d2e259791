// The source file list of the main window: its columns, the rows added from
// the open dialog, a drop or the command line with their size and format
// texts, their removal, and the release of the records the rows own.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "win/failure.h"

// Inserts the Filename, Size and Audio Format columns; false at the first
// column that could not be inserted.
bool CreateFileListColumns(HWND window);

// The Add Files command: asks for files and adds a row for each new one.
// Stops at the first file that cannot be added, after telling the user why.
void AddSourceFiles(HWND window);

// What became of a file handed over. Message is empty when its row stands
// in the list as it should (also when a row held it already); else it tells
// what went wrong, as Add Files words it. Listed tells whether a row stands
// in the list all the same: one whose format neither the codecs nor the
// program describe is listed without a description.
struct AddOutcome {
    std::string Message;  // empty when the row stands as it should
    bool Listed = true;
    Failure Why;  // what failed, where the platform says
};

// What the user reads of an outcome for path: its Message, and under it the
// line that names the file and why, where that is known.
std::string AddOutcomeText(const char* path, const AddOutcome& outcome);

// Adds a row for each path that the list does not hold yet, going on past a
// file that cannot be added; the list is drawn once, at the end. Gives the
// outcome for each path. treeStarts tells, for each
// path found inside a handed-over folder, where its part below that folder
// begins, which its destination keeps below the destination folder; a path
// without one (0) goes straight into the destination folder.
std::vector<AddOutcome> AddSourcePaths(HWND window, const std::vector<std::string>& paths,
                                       const std::vector<DWORD>& treeStarts = {});

// The Remove File command: removes every selected row and frees its records.
void RemoveSelectedFiles(HWND window);

// Frees the records of every row without removing the rows; for the end of
// the main window.
void FreeAllSourceEntries(HWND window);
