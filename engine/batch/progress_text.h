// What the progress rows, the statistics frame and the tray tooltip show,
// computed from plain values so that every figure can be checked without a
// window. The worker keeps one ProgressView; the window's thread copies it
// into the controls.
#pragma once
#include <cstddef>
#include <cstdint>
#include "win/path_size.h"

// Both progress bars run from 0 to this.
constexpr uint32_t ProgressBarRange = 10000;

// The line that names the file being converted: a path of up to 255 bytes
// and the words around it.
constexpr size_t ConvertInfoChars = PathSize + 64;

// The tray icon's tooltip with its terminator: the 64 characters that the
// icon's record of the first layout (NOTIFYICONDATAA_V1_SIZE), the one the
// program hands the shell, shows. A longer text would be cut.
constexpr size_t TooltipChars = 64;

// Everything the fourteen progress controls, the file line and the tooltip
// should show.
// Fixed buffers: the worker fills them after every block without allocating,
// and the whole record is copied as bytes from one thread to the other.
struct ProgressView {
    uint32_t TotalRange;      // upper limit of the batch bar; 0 leaves the bar's range alone
    uint32_t TotalPosition;
    uint32_t FileRange;       // upper limit of the file bar; 0 leaves the bar's range alone
    uint32_t FilePosition;
    char TotalTextLeft[24];   // source bytes consumed in the batch
    char TotalMark[4];        // "of"
    char TotalTextMid[48];    // "<total> Bytes converted."
    char TotalTextRight[24];  // percentage of the batch
    char FileTextLeft[24];
    char FileMark[4];
    char FileTextMid[48];
    char FileTextRight[24];
    char AvgCompression[24];
    char CurCompression[24];
    char ElapsedTime[24];
    char EstimatedTime[48];   // "<estimated> (<left> left)"
    char Tooltip[TooltipChars];  // empty: the tooltip is left as it is
    char FileLine[ConvertInfoChars];  // "Converting file <path> (<n> of <m>) ..."
};

// The batch-wide counters that one block advances. Bytes read by a
// measuring pass count as consumed, for the bars and the estimate, but not
// in the compression, which only the converting passes make.
struct BlockCounters {
    uint64_t TotalBytes;
    uint64_t ConsumedBytes;
    double AverageRatio;
    uint32_t StartTick;
    uint64_t ConvertedBytes;  // source bytes of the converting passes, the average's weight
};

// What the converter reports after one block.
struct BlockReport {
    uint32_t SourceBytes;       // consumed by this block
    uint32_t DestinationBytes;  // produced by this block
    uint64_t FileDone;          // the file's work done so far, this block included
    uint64_t FileSize;          // the file's work: its data size, twice when it is measured first
};

// The times of one update, in milliseconds.
struct BlockTimes {
    uint32_t Elapsed;
    uint32_t Estimated;
    uint32_t Left;
};

// A ratio as percent with two decimals, both cut toward zero.
struct PercentFigures {
    uint32_t Whole;
    uint32_t Hundredths;
};

// trunc(value) as unsigned 32-bit; below 0 and NaN give 0, above the range
// gives the largest value.
uint32_t TruncateToUnsigned(double value);
// numerator / denominator in double precision; 0 when the denominator is 0.
double RatioOf(uint64_t numerator, uint64_t denominator);
PercentFigures SplitPercentage(double ratio);

// "25.67 %"
void FormatPercentage(char* text, size_t size, double ratio);
// "01:02:03"; the hours take more digits when they need them.
void FormatDuration(char* text, size_t size, uint32_t milliseconds);
// The full 64-bit decimal number.
void FormatByteCount(char* text, size_t size, uint64_t bytes);
// "<bytes> Bytes converted."
void FormatBytesConverted(char* text, size_t size, uint64_t bytes);

// The look before a batch has shown anything: all texts empty, both bars at
// 0. The ranges and the tooltip are not claimed, so the bars keep theirs and
// the tooltip keeps telling the idle state until the first block.
void ResetProgressView(ProgressView& view);
// A file's conversion begins: bar ranges, the file bar at 0, both "of" marks
// and both totals. The batch bar keeps its position until the file's first
// block.
void StartFileInView(ProgressView& view, uint64_t totalBytes, uint64_t fileWork);
// One converted block: advances the counters and recomputes both bars, the
// bytes and percentages of both rows, both compressions, both times and the
// tooltip. A measured block leaves both compressions as they stand.
BlockTimes ApplyBlockToView(ProgressView& view, BlockCounters& counters, const BlockReport& block,
                            uint32_t now, bool measured = false);
// A file is done: both rows and bars empty; compressions, times and the
// tooltip stay.
void ClearRowsInView(ProgressView& view);
