// The shared conversion state and the worker's looks at it.
#include "engine/conversion_state.h"

ConversionShared Conversion = {};

void SignalAbort()
{
    Conversion.AbortSignalled = true;
    SetEvent(Conversion.AbortEvent);
}

void AskToStandStill()
{
    Conversion.StandStillAsked = true;
    ResetEvent(Conversion.RunEvent);
}

void LetRunOn()
{
    Conversion.StandStillAsked = false;
    SetEvent(Conversion.RunEvent);
}

namespace {
// Waits until the worker may run on or the batch is aborted; true on abort.
bool WaitForRunOrAbort()
{
    HANDLE abortEvent = Conversion.AbortEvent;
    HANDLE runEvent = Conversion.RunEvent;
    if (abortEvent == nullptr)
        return false;
    if (!Conversion.AbortSignalled && !Conversion.StandStillAsked)
        return false;
    if (runEvent == nullptr)
        return WaitForSingleObject(abortEvent, 0) == WAIT_OBJECT_0;
    // The abort event comes first, so it wins when both are signalled.
    HANDLE events[] = {abortEvent, runEvent};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
}
}  // namespace

bool IsAbortRequested() { return WaitForRunOrAbort(); }

void StandStillWhileSuspended() { WaitForRunOrAbort(); }
