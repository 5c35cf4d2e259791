// Conversion control.
#include "ui/conversion_control.h"
#include <utility>
#include "settings/settings.h"
#include "engine/batch/batch_worker.h"
#include "engine/batch/destination_conflicts.h"
#include "res/resource.h"
#include "sources/batch_rows.h"
#include "sources/leveling.h"
#include "ui/batch_controls.h"
#include "ui/batch_listener.h"
#include "ui/idle_state.h"
#include "win/user_prompts.h"

namespace {

// While the stop question is open, the end of the worker waits for the
// answer, so that the answer never acts on released handles.
bool QuestionOpen = false;
bool EndWaiting = false;
// The worker's listener, for as long as the worker runs.
WindowBatchListener Listener;

// A batch that would replace a source, write two results into one file, or
// meet a destination path too long to be made does not start: nothing is
// written and the controls stay as they are.
bool RefuseConflictingBatch(HWND window, const std::vector<BatchRow>& rows)
{
    std::vector<ListedSource> listed;
    listed.reserve(rows.size());
    for (const BatchRow& row : rows)
        listed.push_back({ row.Path, row.Marked, row.TreeStart });
    std::string refusal = BatchRefusal(listed, Settings.DestinationPath);
    if (refusal.empty())
        return false;
    ShowError(window, refusal.c_str());
    return true;
}

BatchJob JobOf(std::vector<BatchRow> rows)
{
    BatchJob job;
    job.Rows = std::move(rows);
    job.DestinationFolder = Settings.DestinationPath;
    job.BlockSize = BlockSizeInBytes(Settings.BufferSize);
    job.LowQuality = Settings.LowQuality != 0;
    job.Level = LevelingOf(Settings);
    job.KeepMetadata = Settings.KeepMetadata != 0;
    return job;
}

// A start that failed: the message, then the controls as they were.
void ReturnToConvert(HWND window, const char* text)
{
    ShowMessage(window, text, "Error", MB_OK | MB_ICONHAND);
    ReleaseConversion();
    GiveBackEnableStates(window);
    SetDlgItemTextA(window, IDC_CONVERT, "Convert");
}

void StartConversion(HWND window)
{
    std::vector<BatchRow> rows = CollectBatchRows(window);
    if (RefuseConflictingBatch(window, rows))
        return;
    SetDlgItemTextA(window, IDC_CONVERT, "Stop");
    DisableBatchControls(window);

    if (!CreateConversionEvents()) {
        ReturnToConvert(window, "Unable to create event for conversion.");
        return;
    }
    Conversion.State = ConversionState::Running;
    Listener = WindowBatchListener(window);
    if (StartConversionThread(JobOf(std::move(rows)), Listener, Settings.Priority)) {
        // A batch of hours must not be cut by the machine going to sleep.
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
        return;
    }
    ReturnToConvert(window, "Unable to start conversion thread.");
}

void ContinueConversion(HWND window)
{
    SetDlgItemTextA(window, IDC_CONVERT, "Stop");
    Conversion.State = ConversionState::Running;
    ResumeWorker();
}

// The worker is suspended at its next check (between blocks, between files)
// while the user decides; the progress it showed last stays on screen.
void AskToStop(HWND window)
{
    SuspendWorker();
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
        ResumeWorker();
        return;
    }
    Conversion.State = ConversionState::Suspended;
    SetDlgItemTextA(window, IDC_CONVERT, "Continue");
}

}  // namespace

void OnConvertCommand(HWND window)
{
    if (QuestionOpen)
        return;
    if (!IsConversionActive())
        StartConversion(window);
    else if (Conversion.State == ConversionState::Suspended)
        ContinueConversion(window);
    else
        AskToStop(window);
}

void OnConversionEnded(HWND window)
{
    if (!IsConversionActive())
        return;
    if (QuestionOpen) {
        EndWaiting = true;
        return;
    }
    EndWaiting = false;
    // The worker posted this as its last act; it ends at once.
    WaitForSingleObject(Conversion.Thread.Get(), INFINITE);
    ReleaseConversion();
    SetThreadExecutionState(ES_CONTINUOUS);
    RestoreIdleState(window);
}

void EndConversionForClose(HWND window)
{
    if (!IsConversionActive())
        return;
    SignalAbort();
    ResumeWorker();
    // The worker may be sending to the window (a text, a message box owner,
    // the window's growth); those are handled while waiting, posted ones wait.
    HANDLE thread = Conversion.Thread.Get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    EndWaiting = false;
    OnConversionEnded(window);
}
