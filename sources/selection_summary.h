// The selection line under the file list and the buttons that depend on the
// list's rows. Nothing is kept between calls: each works it out from the rows.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Enables Remove File and Select Destination Format while a row is selected,
// then brings Convert up to date.
void UpdateSelectionButtons(HWND window);

// Enables Convert while at least one row, selected or not, has a destination
// format; leaves it alone when a row's record cannot be read.
void UpdateConvertButton(HWND window);

// Writes "<bytes> bytes in <n> files selected." for the selected rows, sizes
// taken from the files now, or why it cannot.
void ShowSelectionSummary(HWND window);

// A number with its digits in groups of three joined by full stops:
// 1234567 gives "1.234.567".
std::string GroupDigits(uint64_t value);

// The selection line for a total of bytes in a number of files.
std::string SelectionSummaryText(uint64_t totalBytes, unsigned files);
