// The shared conversion state and the worker's checks of it.
#include "engine/batch/batch_steering.h"

ConversionShared Conversion;

bool IsConversionActive() { return static_cast<bool>(Conversion.Thread); }

bool CreateConversionEvents()
{
    Conversion.AbortEvent.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Conversion.RunEvent.Attach(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (!Conversion.AbortEvent || !Conversion.RunEvent) {
        Conversion.AbortEvent.Close();
        Conversion.RunEvent.Close();
        return false;
    }
    Conversion.AbortSignalled = false;
    Conversion.SuspendAsked = false;
    return true;
}

void SignalAbort()
{
    Conversion.AbortSignalled = true;
    SetEvent(Conversion.AbortEvent.Get());
}

void SuspendWorker()
{
    Conversion.SuspendAsked = true;
    ResetEvent(Conversion.RunEvent.Get());
}

void ResumeWorker()
{
    Conversion.SuspendAsked = false;
    SetEvent(Conversion.RunEvent.Get());
}

void ReleaseConversion()
{
    Conversion.Thread.Close();
    Conversion.AbortEvent.Close();
    Conversion.RunEvent.Close();
    Conversion.State = ConversionState::Idle;
}

namespace {
// Waits until the worker may run on or the batch is aborted; true on abort.
bool WaitForRunOrAbort()
{
    HANDLE abortEvent = Conversion.AbortEvent.Get();
    HANDLE runEvent = Conversion.RunEvent.Get();
    if (abortEvent == nullptr)
        return false;
    if (!Conversion.AbortSignalled && !Conversion.SuspendAsked)
        return false;
    if (runEvent == nullptr)
        return WaitForSingleObject(abortEvent, 0) == WAIT_OBJECT_0;
    // The abort event comes first, so it wins when both are signalled.
    HANDLE events[] = {abortEvent, runEvent};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
}
}  // namespace

bool IsAbortRequested() { return WaitForRunOrAbort(); }
