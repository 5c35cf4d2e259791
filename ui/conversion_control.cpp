// Conversion control.
#include "ui/conversion_control.h"
#include "settings/settings.h"
#include "engine/conversion_state.h"
#include "engine/conversion_thread.h"
#include "engine/destination_conflicts.h"
#include "res/resource.h"
#include "sources/source_entry.h"
#include "ui/batch_controls.h"
#include "ui/idle_state.h"
#include "win/user_prompts.h"

namespace {

// While the stop question is open, the end of the worker waits for the
// answer, so that the answer never acts on released handles.
bool QuestionOpen = false;
bool EndWaiting = false;

void CloseIfSet(HANDLE& handle)
{
    if (handle != nullptr)
        CloseHandle(handle);
    handle = nullptr;
}

// Every row's path and whether it is marked, in list order, as the worker
// will walk them.
std::vector<ListedSource> ListedSources(HWND window)
{
    std::vector<BatchRow> rows;
    CollectBatchRows(window, rows);
    std::vector<ListedSource> listed;
    listed.reserve(rows.size());
    for (const BatchRow& row : rows)
        listed.push_back({ row.Path, GetDestinationHandle(row.Entry) != nullptr });
    return listed;
}

// A batch that would replace a source, or write two results into one file,
// does not start: nothing is written and the controls stay as they are.
bool RefuseConflictingBatch(HWND window)
{
    std::vector<std::string> conflicts = ConflictingDestinations(ListedSources(window), Settings.DestinationPath);
    if (conflicts.empty())
        return false;
    ShowMessage(window, ConflictText(conflicts).c_str(), "Error", MB_OK | MB_ICONHAND);
    return true;
}

void StartConversion(HWND window)
{
    if (RefuseConflictingBatch(window))
        return;
    SetDlgItemTextA(window, IDC_CONVERT, "Stop");
    DisableBatchControls(window);

    Conversion.AbortEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Conversion.RunEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (Conversion.AbortEvent == nullptr || Conversion.RunEvent == nullptr) {
        CloseIfSet(Conversion.AbortEvent);
        CloseIfSet(Conversion.RunEvent);
        ShowMessage(window, "Unable to create event for conversion.", "Error", MB_OK | MB_ICONHAND);
        GiveBackEnableStates(window);
        SetDlgItemTextA(window, IDC_CONVERT, "Convert");
        return;
    }

    Conversion.AbortSignalled = false;
    Conversion.StandStillAsked = false;
    Conversion.State = ConversionRunning;
    Conversion.Thread = CreateThread(nullptr, 0, ConversionThread, nullptr, 0, &Conversion.ThreadId);
    if (Conversion.Thread != nullptr) {
        SetThreadPriority(Conversion.Thread, Settings.Priority);
        // A batch of hours must not be cut by the machine going to sleep.
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
        return;
    }
    ShowMessage(window, "Unable to start conversion thread.", "Error", MB_OK | MB_ICONHAND);
    CloseIfSet(Conversion.AbortEvent);
    CloseIfSet(Conversion.RunEvent);
    Conversion.ThreadId = 0;
    Conversion.State = ConversionIdle;
    GiveBackEnableStates(window);
    SetDlgItemTextA(window, IDC_CONVERT, "Convert");
}

void ContinueConversion(HWND window)
{
    SetDlgItemTextA(window, IDC_CONVERT, "Stop");
    Conversion.State = ConversionRunning;
    LetRunOn();
}

// The worker stands still at its next look (between blocks, between files)
// while the user decides; the progress it showed last stays on screen.
void AskToStop(HWND window)
{
    AskToStandStill();
    QuestionOpen = true;
    int answer = ShowMessage(window,
                             "Do you want to abort the conversion process ? If you answer NO, the conversion "
                             "will only be suspended.",
                             "Question", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    QuestionOpen = false;
    if (EndWaiting) {
        // The batch ended while the question was open: nothing is left to stop.
        OnConversionEnded(window);
        return;
    }
    if (answer == IDYES) {
        SignalAbort();
        LetRunOn();
        return;
    }
    Conversion.State = ConversionSuspended;
    SetDlgItemTextA(window, IDC_CONVERT, "Continue");
}

}  // namespace

bool IsConversionActive() { return Conversion.Thread != nullptr; }

void OnConvertCommand(HWND window)
{
    if (QuestionOpen)
        return;
    if (!IsConversionActive())
        StartConversion(window);
    else if (Conversion.State == ConversionSuspended)
        ContinueConversion(window);
    else
        AskToStop(window);
}

void OnConversionEnded(HWND)
{
    if (!IsConversionActive())
        return;
    if (QuestionOpen) {
        EndWaiting = true;
        return;
    }
    EndWaiting = false;
    // The worker posted this as its last act; it ends at once.
    WaitForSingleObject(Conversion.Thread, INFINITE);
    CloseIfSet(Conversion.Thread);
    CloseIfSet(Conversion.AbortEvent);
    CloseIfSet(Conversion.RunEvent);
    SetThreadExecutionState(ES_CONTINUOUS);
    RestoreIdleState();
    Conversion.ThreadId = 0;
    Conversion.State = ConversionIdle;
}

void EndConversionForClose(HWND window)
{
    if (!IsConversionActive())
        return;
    SignalAbort();
    LetRunOn();
    // The worker may be sending to the window (a list read, a text, a
    // message box owner); those are handled while waiting, posted ones wait.
    while (MsgWaitForMultipleObjects(1, &Conversion.Thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    EndWaiting = false;
    OnConversionEnded(window);
}
