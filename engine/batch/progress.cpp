// The hand-over of the progress figures from the worker to whoever shows
// them.
//
// Showing the figures costs far more than computing them: setting the
// fourteen controls from another thread takes milliseconds, converting a
// block a fraction of one. So the worker never waits for the window. It keeps
// its own ProgressView, publishes a copy through a triple buffer after every
// change and tells its listener once while no news is pending; the window's
// thread then shows whatever is newest. Neither side ever blocks the other,
// so the worker may be suspended at any instruction without stalling the
// window.
#include "engine/batch/progress.h"
#include <atomic>

BatchCounters BatchStatistics = {};

namespace {

// Three copies of the view: the worker fills its back slot, then swaps it
// with the middle one and marks the middle fresh; the showing thread swaps
// its front slot with a fresh middle one. Each side owns its slot outright,
// so a copy is never read while it is written.
class ProgressExchange {
public:
    // Worker: the back slot to fill.
    ProgressView& Back() { return slots[back]; }

    // Worker: makes the filled back slot the newest figures.
    void Publish()
    {
        back = middle.exchange(static_cast<uint8_t>(back | Fresh)) & SlotMask;
    }

    // Showing thread: the newest figures not taken before, or null.
    const ProgressView* Take()
    {
        if ((middle.load() & Fresh) == 0)
            return nullptr;
        front = middle.exchange(front) & SlotMask;
        return &slots[front];
    }

private:
    static constexpr uint8_t SlotMask = 3;
    static constexpr uint8_t Fresh = 4;

    ProgressView slots[3] = {};
    std::atomic<uint8_t> middle{ 0 };
    uint8_t back = 1;   // the worker's
    uint8_t front = 2;  // the showing thread's
};

ProgressExchange Exchange;
// What the controls should show, as far as the worker knows. Worker only.
ProgressView WorkerView = {};
// Set by the worker when it tells the listener, cleared by the showing
// thread before it takes the newest figures: a figure published after the
// clearing either is taken now or brings news again.
std::atomic<bool> NewsPending{ false };

void PublishWorkerView(BatchListener& listener)
{
    Exchange.Back() = WorkerView;
    Exchange.Publish();

    if (NewsPending.exchange(true))
        return;
    // News that cannot be passed on (window gone, queue full) must not
    // leave the flag set, or no later figure would ever be announced.
    if (!listener.FiguresPublished())
        NewsPending.store(false);
}

}  // namespace

void ResetProgressForBatch(BatchListener& listener)
{
    BatchStatistics.ConsumedBytes = 0;
    BatchStatistics.FilesStarted = 0;
    BatchStatistics.AverageRatio = 0.0;
    BatchStatistics.ProducedBytes = 0;
    BatchStatistics.ConvertedBytes = 0;
    BatchStatistics.StartTick = GetTickCount();
    ResetProgressView(WorkerView);
    // News lost with a window of an earlier batch must not keep this batch
    // from announcing its figures; at worst one announcement too many.
    NewsPending.store(false);
    PublishWorkerView(listener);
}

void StartFileLine(const char* line)
{
    // Shown with the figures of the file's start, which follow at once.
    lstrcpynA(WorkerView.FileLine, line, sizeof(WorkerView.FileLine));
}

void StartFileProgress(BatchListener& listener, uint64_t fileWork)
{
    StartFileInView(WorkerView, BatchStatistics.TotalBytes, fileWork);
    PublishWorkerView(listener);
}

void UpdateProgress(BatchListener& listener, DWORD sourceBytes, DWORD destinationBytes, uint64_t fileDone,
                    uint64_t fileWork, bool measured)
{
    BlockCounters counters = { BatchStatistics.TotalBytes, BatchStatistics.ConsumedBytes,
                               BatchStatistics.AverageRatio, BatchStatistics.StartTick,
                               BatchStatistics.ConvertedBytes };
    const BlockReport block = { sourceBytes, destinationBytes, fileDone, fileWork };
    ApplyBlockToView(WorkerView, counters, block, GetTickCount(), measured);
    BatchStatistics.ConsumedBytes = counters.ConsumedBytes;
    BatchStatistics.AverageRatio = counters.AverageRatio;
    BatchStatistics.ProducedBytes += destinationBytes;
    BatchStatistics.ConvertedBytes = counters.ConvertedBytes;
    PublishWorkerView(listener);
}

void ClearProgressRows(BatchListener& listener)
{
    ClearRowsInView(WorkerView);
    PublishWorkerView(listener);
}

const ProgressView* TakeLatestProgress()
{
    NewsPending.store(false);
    return Exchange.Take();
}

void DiscardPendingProgress()
{
    Exchange.Take();
}
