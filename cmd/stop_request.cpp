// The console's stop requests.
#include "cmd/stop_request.h"
#include "win/handles.h"

namespace {

KernelHandle Stop;      // manual reset: a stop was asked for
KernelHandle Finished;  // manual reset: the batch is over

// When the console closes or the user logs off, the system ends the process
// once the handler returns: it gives the batch a few seconds to end its file.
constexpr DWORD CloseWaitMs = 4000;

BOOL WINAPI OnConsoleControl(DWORD kind)
{
    SetEvent(Stop.Get());
    if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT)
        WaitForSingleObject(Finished.Get(), CloseWaitMs);
    return TRUE;
}

}  // namespace

bool InstallStopHandler()
{
    Stop.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Finished.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return Stop && Finished && SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

HANDLE StopEvent() { return Stop.Get(); }

bool StopAsked() { return WaitForSingleObject(Stop.Get(), 0) == WAIT_OBJECT_0; }

void BatchFinished() { SetEvent(Finished.Get()); }
