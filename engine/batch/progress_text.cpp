// Progress figures and their texts, from values alone.
#include "engine/batch/progress_text.h"
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

// Largest hundredths of a percent that still split into an unsigned 32-bit
// whole part: 4294967295.99 %.
constexpr double MaxHundredths = 4294967295.0 * 100.0 + 99.0;

void EmptyText(char* text)
{
    text[0] = '\0';
}

}  // namespace

uint32_t TruncateToUnsigned(double value)
{
    // A double outside the target's range converts to an undefined value, and
    // the x87 and SSE conversions disagree on what they produce, so clamp first.
    if (!(value > 0.0))  // also NaN
        return 0;
    if (value >= 4294967295.0)
        return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

double RatioOf(uint64_t numerator, uint64_t denominator)
{
    if (denominator == 0)
        return 0.0;
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

PercentFigures SplitPercentage(double ratio)
{
    // Whole and hundredths come from one truncation of ratio x 10000. Cutting
    // x x 100 and x x 10000 separately disagrees where the product lands just
    // below an integer: 29 of 100 bytes gives 28.999... and 2900.000..., which
    // would read "28.00 %".
    double hundredths = std::trunc(ratio * 10000.0);
    if (!(hundredths > 0.0))
        return { 0, 0 };
    if (hundredths > MaxHundredths)
        hundredths = MaxHundredths;
    const uint64_t whole = static_cast<uint64_t>(hundredths);
    return { static_cast<uint32_t>(whole / 100), static_cast<uint32_t>(whole % 100) };
}

void FormatPercentage(char* text, size_t size, double ratio)
{
    const PercentFigures percent = SplitPercentage(ratio);
    std::snprintf(text, size, "%u.%02u %%", percent.Whole, percent.Hundredths);
}

void FormatDuration(char* text, size_t size, uint32_t milliseconds)
{
    std::snprintf(text, size, "%02u:%02u:%02u", milliseconds / 3600000u,
                  milliseconds % 3600000u / 60000u, milliseconds % 60000u / 1000u);
}

void FormatByteCount(char* text, size_t size, uint64_t bytes)
{
    std::snprintf(text, size, "%" PRIu64, bytes);
}

void FormatBytesConverted(char* text, size_t size, uint64_t bytes)
{
    std::snprintf(text, size, "%" PRIu64 " Bytes converted.", bytes);
}

void ResetProgressView(ProgressView& view)
{
    // All zero: every text empty, both bars at 0, the ranges and the tooltip
    // unclaimed.
    view = ProgressView{};
}

void StartFileInView(ProgressView& view, uint64_t totalBytes, uint64_t fileWork)
{
    view.TotalRange = ProgressBarRange;
    view.FileRange = ProgressBarRange;
    view.FilePosition = 0;
    std::snprintf(view.TotalMark, sizeof(view.TotalMark), "of");
    FormatBytesConverted(view.TotalTextMid, sizeof(view.TotalTextMid), totalBytes);
    std::snprintf(view.FileMark, sizeof(view.FileMark), "of");
    FormatBytesConverted(view.FileTextMid, sizeof(view.FileTextMid), fileWork);
}

BlockTimes ApplyBlockToView(ProgressView& view, BlockCounters& counters, const BlockReport& block,
                            uint32_t now, bool measured)
{
    // The average stays all destination bytes over all converted source
    // bytes: weigh the old average by the bytes converted before this block.
    const double before = static_cast<double>(counters.ConvertedBytes);
    const double after = before + block.SourceBytes;
    if (!measured && after > 0.0)
        counters.AverageRatio = (before * counters.AverageRatio + block.DestinationBytes) / after;
    counters.ConsumedBytes += block.SourceBytes;
    if (!measured)
        counters.ConvertedBytes += block.SourceBytes;

    // GetTickCount wraps after 49.7 days; the unsigned difference stays right
    // across one wrap.
    BlockTimes times;
    times.Elapsed = now - counters.StartTick;
    times.Estimated = counters.ConsumedBytes == 0
                          ? 0
                          : TruncateToUnsigned(static_cast<double>(counters.TotalBytes) /
                                               static_cast<double>(counters.ConsumedBytes) *
                                               times.Elapsed);
    // Files that grew since they were measured push the estimate below the
    // elapsed time; nothing is left then, rather than a wrapped-around time.
    times.Left = times.Estimated > times.Elapsed ? times.Estimated - times.Elapsed : 0;

    const double totalScale = counters.TotalBytes == 0
                                  ? 0.0
                                  : ProgressBarRange / static_cast<double>(counters.TotalBytes);
    const double fileScale =
        block.FileSize == 0 ? 0.0 : ProgressBarRange / static_cast<double>(block.FileSize);
    // The bar stops at its range anyway; keeping the position inside it lets
    // the window compare it with what the bar reports.
    view.TotalPosition = std::min(TruncateToUnsigned(totalScale * static_cast<double>(counters.ConsumedBytes)),
                                  ProgressBarRange);
    view.FilePosition =
        std::min(TruncateToUnsigned(fileScale * static_cast<double>(block.FileDone)), ProgressBarRange);

    const double batchDone = RatioOf(counters.ConsumedBytes, counters.TotalBytes);
    FormatByteCount(view.TotalTextLeft, sizeof(view.TotalTextLeft), counters.ConsumedBytes);
    FormatPercentage(view.TotalTextRight, sizeof(view.TotalTextRight), batchDone);
    if (!measured) {
        FormatPercentage(view.AvgCompression, sizeof(view.AvgCompression), counters.AverageRatio);
        FormatPercentage(view.CurCompression, sizeof(view.CurCompression),
                         RatioOf(block.DestinationBytes, block.SourceBytes));
    }
    FormatByteCount(view.FileTextLeft, sizeof(view.FileTextLeft), block.FileDone);
    FormatPercentage(view.FileTextRight, sizeof(view.FileTextRight), RatioOf(block.FileDone, block.FileSize));
    FormatDuration(view.ElapsedTime, sizeof(view.ElapsedTime), times.Elapsed);

    char estimated[24];
    char left[24];
    FormatDuration(estimated, sizeof(estimated), times.Estimated);
    FormatDuration(left, sizeof(left), times.Left);
    std::snprintf(view.EstimatedTime, sizeof(view.EstimatedTime), "%s (%s left)", estimated, left);

    const PercentFigures percent = SplitPercentage(batchDone);
    std::snprintf(view.Tooltip, sizeof(view.Tooltip), "%u.%02u %% converted (%s left)", percent.Whole,
                  percent.Hundredths, left);
    return times;
}

void ClearRowsInView(ProgressView& view)
{
    view.TotalPosition = 0;
    EmptyText(view.TotalTextLeft);
    EmptyText(view.TotalMark);
    EmptyText(view.TotalTextMid);
    EmptyText(view.TotalTextRight);
    view.FilePosition = 0;
    EmptyText(view.FileTextLeft);
    EmptyText(view.FileMark);
    EmptyText(view.FileTextMid);
    EmptyText(view.FileTextRight);
}
