// The state that the window's thread and the conversion worker share: the
// worker's thread, the two events through which the window steers it, and
// the state of the batch. The window's thread creates and releases all of
// it; the worker only reads the events.
#pragma once
#include <windows.h>
#include <atomic>

enum : WORD { ConversionIdle = 0, ConversionRunning = 1, ConversionSuspended = 2 };

struct ConversionShared {
    HANDLE Thread;
    DWORD ThreadId;
    HANDLE AbortEvent;  // manual reset, created not signalled for each batch
    // Manual reset, signalled while the worker may run. The window resets it
    // to make the worker stand still at its next look, holding its files,
    // stream and buffers, until it is set again or the batch is aborted.
    HANDLE RunEvent;
    std::atomic<WORD> State;
    // Mirrors of the two events, set by the window's thread together with
    // them: the worker looks here first after every block, which costs
    // nothing, and asks the events (a call into the system) only when one
    // of them says something is up.
    std::atomic<bool> AbortSignalled;
    std::atomic<bool> StandStillAsked;
};

// The window's side: the events and their mirrors together.
void SignalAbort();
void AskToStandStill();
void LetRunOn();

extern ConversionShared Conversion;

// The converter's look between blocks: true when the batch is to be
// aborted. While the worker is asked to stand still, it waits here.
bool IsAbortRequested();

// The worker's look between files: waits while it is asked to stand still;
// an abort is left to the converter of the next file.
void StandStillWhileSuspended();
