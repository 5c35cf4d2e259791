// The state that the window's thread and the conversion worker share: the
// worker's thread, the abort event and the state of the batch.
#pragma once
#include <windows.h>
#include <atomic>

enum : WORD { ConversionIdle = 0, ConversionRunning = 1, ConversionSuspended = 2 };

struct ConversionShared {
    HANDLE Thread;
    DWORD ThreadId;
    HANDLE AbortEvent;  // manual reset, created not signalled for each batch
    std::atomic<WORD> State;
};

extern ConversionShared Conversion;

// The converter's look for an abort between blocks; it never waits.
bool IsAbortRequested();
