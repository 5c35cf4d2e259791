// The files that paths handed over (a drop, the command line, a console
// command) stand for: each file as given, each folder as the .wav files
// inside it and its sub-folders; and the message about those that could not
// be taken. No window here.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// How many paths the message names of the refused files, and of those
// listed without a description.
constexpr size_t ShownRefusedPaths = 5;

// The files in order, each once, and for each where the part of its path
// below the folder it was handed over in begins (0 for a file handed over by
// itself): its destination keeps that part, so the folder's tree is kept
// below the destination folder.
struct GivenFiles {
    std::vector<std::string> Paths;
    std::vector<DWORD> TreeStarts;
};

// A folder's files in the order of their names, each folder's before those
// of its sub-folders, so the same paths always give the same order. A file
// given both by itself and within its folder counts once, as it came first.
GivenFiles GatherGivenFiles(const std::vector<std::string>& items);

// Who handed the paths over, as the message about refused ones names them.
enum class GivenBy { Drop, CommandLine };

// The message about the files that did not join the list as they should,
// or nothing when all did: for one file refused alone its reason; else how
// many were refused and how many stand without a description of their
// format, each with the first ShownRefusedPaths of their paths.
std::string GivenFilesText(const std::vector<std::string>& refused, const std::string& firstReason,
                           const std::vector<std::string>& undescribed, GivenBy by);
