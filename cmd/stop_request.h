// Ctrl+C and Ctrl+Break, and the console closing: the console's handler runs
// on a thread of its own and only signals; the main thread, which owns the
// batch, turns the signal into an abort as the window's Abort does.
#pragma once
#include <windows.h>

// Installs the handler; false when it cannot be.
bool InstallStopHandler();

// Signalled once a stop was asked for.
HANDLE StopEvent();
bool StopAsked();

// The main thread is done with the batch: a handler that waits for that
// before the system ends the process (the console closing) may return.
void BatchFinished();
