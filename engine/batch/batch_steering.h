// The state that the window's thread and the conversion worker share: the
// worker's thread, the two events through which the window steers it, and
// the state of the batch. The window's thread creates and releases all of
// it; the worker only reads the events.
#pragma once
#include <windows.h>
#include <atomic>
#include "win/handles.h"

enum class ConversionState : WORD { Idle, Running, Suspended };

struct ConversionShared {
    KernelHandle Thread;
    KernelHandle AbortEvent;  // manual reset, created not signalled for each batch
    // Manual reset, signalled while the worker may run. The window resets it
    // to suspend the worker at its next check, holding its files, stream
    // and buffers, until it is set again or the batch is aborted.
    KernelHandle RunEvent;
    std::atomic<ConversionState> State{ ConversionState::Idle };
    // Mirrors of the two events, set by the window's thread together with
    // them: the worker checks here first after every block, which costs
    // nothing, and asks the events (a call into the system) only when one
    // of them says something is up.
    std::atomic<bool> AbortSignalled{ false };
    std::atomic<bool> SuspendAsked{ false };
};

extern ConversionShared Conversion;

// The window's side.

// Whether a batch exists, running or suspended.
bool IsConversionActive();
// The events of a new batch, abort not signalled and run signalled, with
// their mirrors; false, and neither kept, when one cannot be created.
bool CreateConversionEvents();
// The events and their mirrors together.
void SignalAbort();
void SuspendWorker();
void ResumeWorker();
// Once the worker has ended: closes its thread and both events and returns
// the state to idle.
void ReleaseConversion();

// The worker's side.

// The converter's check between blocks, and the worker's between files:
// true when the batch is to be aborted. While the worker is suspended, it
// waits here.
bool IsAbortRequested();
