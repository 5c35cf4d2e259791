// The console's side of a batch.
#include "cmd/console_batch.h"
#include <atomic>
#include "cmd/stop_request.h"
#include "engine/batch/batch_steering.h"
#include "engine/batch/batch_worker.h"
#include "engine/batch/progress.h"

namespace {

// How often the progress line is brought up to date.
constexpr DWORD ProgressIntervalMs = 250;

// What the worker tells, as lines; it runs on the worker's thread.
class ConsoleListener final : public BatchListener {
public:
    ConsoleListener(ConsoleOutput& output, const ConsoleBatch& batch)
        : output_(output), label_(batch.FormatLabel), quiet_(batch.Quiet), files_(batch.Job.Rows.size())
    {
    }

    void Measured() override { measured_ = true; }
    // The main thread looks for new figures at its own pace.
    bool FiguresPublished() override { return true; }
    void Stopped(const char*, const char* text) override
    {
        refused_ = !measured_;
        output_.Error(text);
    }
    // A warning, such as files held short of the speech level: the files
    // were converted, so it changes no exit code.
    void Noticed(const char* text) override { output_.Error(text); }
    void FileEnded(const BatchRow& row, const char* destination, const FileEnd& end) override
    {
        if (end.Outcome == FileOutcome::Converted) {
            converted_ += 1;
            if (!quiet_)
                output_.Line(ConvertedLine(row.Path, destination, label_, end.SourceBytes, end.DestinationBytes));
        } else {
            const char* what = end.Outcome == FileOutcome::Aborted ? "aborted " : "failed ";
            output_.Error(what + row.Path + " -> " + destination + " (left unfinished)");
        }
    }
    void Ended(DWORD exitCode) override { exitCode_ = exitCode; }

    int ExitCodeFor(bool stopAsked) const
    {
        if (refused_)
            return ExitRefused;
        if (exitCode_ != 0)
            return ExitFailed;
        // A stop asked for while the last file ended is never seen: every
        // file was converted.
        return stopAsked && converted_ < files_ ? ExitStopped : ExitConverted;
    }

private:
    ConsoleOutput& output_;
    const std::string label_;
    const bool quiet_;
    const size_t files_;
    std::atomic<bool> measured_{ false }, refused_{ false };
    std::atomic<size_t> converted_{ 0 };
    std::atomic<DWORD> exitCode_{ 0 };
};

// Waits for the worker's end, showing its figures and passing a stop on.
bool WaitForWorker(ConsoleOutput& output, bool quiet)
{
    HANDLE waits[] = { Conversion.Thread.Get(), StopEvent() };
    bool stopAsked = false;
    for (;;) {
        DWORD count = stopAsked ? 1 : 2;
        DWORD woken = WaitForMultipleObjects(count, waits, FALSE, ProgressIntervalMs);
        if (woken == WAIT_OBJECT_0)
            break;
        if (woken == WAIT_OBJECT_0 + 1) {
            stopAsked = true;
            SignalAbort();
        }
        const ProgressView* view = TakeLatestProgress();
        if (view != nullptr && view->Tooltip[0] != '\0' && !quiet)
            output.Progress(view->Tooltip);
    }
    output.Progress("");
    return stopAsked;
}

}  // namespace

int RunConsoleBatch(ConsoleBatch batch, ConsoleOutput& output)
{
    ConsoleListener listener(output, batch);
    if (!CreateConversionEvents()) {
        output.Error("Unable to create event for conversion.");
        return ExitFailed;
    }
    Conversion.State = ConversionState::Running;
    if (!StartConversionThread(std::move(batch.Job), listener, batch.Priority)) {
        ReleaseConversion();
        output.Error("Unable to start conversion thread.");
        return ExitFailed;
    }
    // A batch of hours must not be cut by the machine going to sleep.
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    bool stopAsked = WaitForWorker(output, batch.Quiet);
    SetThreadExecutionState(ES_CONTINUOUS);
    ReleaseConversion();
    return listener.ExitCodeFor(stopAsked);
}

std::string FormatLabel(unsigned long samplesPerSecond, const std::string& tagName)
{
    std::string digits = std::to_string(samplesPerSecond), grouped;
    for (size_t index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % 3 == 0)
            grouped += ',';
        grouped += digits[index];
    }
    return grouped + " Hz " + tagName;
}

std::string ConvertedLine(const std::string& source, const std::string& destination, const std::string& label,
                          uint64_t sourceBytes, uint64_t destinationBytes)
{
    PercentFigures percent = SplitPercentage(RatioOf(destinationBytes, sourceBytes));
    return "converted " + source + " -> " + destination + " (" + label + ", " + std::to_string(percent.Whole) +
           "." + std::to_string(percent.Hundredths / 10) + " %)";
}
