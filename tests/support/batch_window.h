// A main window for batch tests: the real dialog with its controller, rows
// added with their records as Add Files and the format choice make them, and
// a message pump that waits for the batch to reach a state.
#pragma once
#include <windows.h>
#define PSAPI_VERSION 2
#include <psapi.h>
#include <functional>
#include <string>
#include "support/test_files.h"

HWND CreateBatchWindow();

// Adds a row for a source file; with a destination format, the row is
// marked. Returns the row's entry.
HGLOBAL AddBatchRow(HWND window, const std::string& path, const Bytes& destinationFormat = {});

// Adds a row whose text is given as it is (for texts no file dialog would
// give), with a PCM source format.
HGLOBAL AddRawRow(HWND window, const std::string& text, const Bytes& destinationFormat = {});

// Frees every row and empties the list.
void ClearBatchRows(HWND window);

void ClickConvert(HWND window);

// Handles the messages waiting for this thread now; a WM_QUIT is swallowed.
void PumpWaitingMessages();

// Handles the window's messages until done() or the time-out; false on the
// time-out. A WM_QUIT is swallowed.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000);
void PumpFor(DWORD milliseconds);

std::string ControlText(HWND window, int id);
uint64_t FileSize(const std::string& path);

// This process's memory figures (working set, peak, private bytes).
PROCESS_MEMORY_COUNTERS ProcessMemory();

// The data chunk of a finished destination; empty when it is not finished.
Bytes FinishedAudio(const std::string& path);
// Whether a destination still has its two placeholder sizes.
bool HasPlaceholders(const std::string& path);
