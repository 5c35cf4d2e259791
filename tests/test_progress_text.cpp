// The progress figures and texts, computed without a window.
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <string>
#include "engine/progress_text.h"

namespace {

std::string PercentageText(double ratio)
{
    char text[32];
    FormatPercentage(text, sizeof(text), ratio);
    return text;
}

std::string DurationText(uint32_t milliseconds)
{
    char text[32];
    FormatDuration(text, sizeof(text), milliseconds);
    return text;
}

// A batch of totalBytes whose counters start at StartTick 5000, and a view in
// which the file of fileSize bytes has just started.
struct Batch {
    BlockCounters Counters;
    ProgressView View;
    uint32_t FileSize;

    Batch(uint64_t totalBytes, uint32_t fileSize)
        : Counters{ totalBytes, 0, 0.0, 5000 }, View{}, FileSize(fileSize)
    {
        StartFileInView(View, totalBytes, fileSize);
    }

    BlockTimes Block(uint32_t source, uint32_t destination, uint32_t fileDone, uint32_t now)
    {
        return ApplyBlockToView(View, Counters, { source, destination, fileDone, FileSize }, now);
    }
};

}  // namespace

TEST(ProgressText, PercentageCutsTowardZeroToTwoDecimals)
{
    EXPECT_EQ(PercentageText(0.256789), "25.67 %");
    EXPECT_EQ(PercentageText(1.0), "100.00 %");
    EXPECT_EQ(PercentageText(16.0), "1600.00 %");
    EXPECT_EQ(PercentageText(0.0), "0.00 %");
    EXPECT_EQ(PercentageText(0.99999), "99.99 %");
    EXPECT_EQ(PercentageText(0.0509), "5.09 %");
    // 29 / 100 is 0.28999... in binary; whole and hundredths must not disagree.
    EXPECT_EQ(PercentageText(RatioOf(29, 100)), "29.00 %");
    EXPECT_EQ(PercentageText(RatioOf(57, 100)), "56.99 %");
}

TEST(ProgressText, PercentageSaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(PercentageText(1e6), "100000000.00 %");  // hundredths beyond 32 bits
    EXPECT_EQ(PercentageText(1e300), "4294967295.99 %");
    EXPECT_EQ(PercentageText(std::numeric_limits<double>::infinity()), "4294967295.99 %");
    EXPECT_EQ(PercentageText(-0.5), "0.00 %");
    EXPECT_EQ(PercentageText(std::nan("")), "0.00 %");
}

TEST(ProgressText, DurationIsHoursMinutesSeconds)
{
    EXPECT_EQ(DurationText(3723000), "01:02:03");
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(59999), "00:00:59");
    EXPECT_EQ(DurationText(360000000), "100:00:00");
    EXPECT_EQ(DurationText(UINT32_MAX), "1193:02:47");
}

TEST(ProgressText, TruncationClampsToUnsigned32)
{
    EXPECT_EQ(TruncateToUnsigned(2.999), 2u);
    EXPECT_EQ(TruncateToUnsigned(-0.5), 0u);
    EXPECT_EQ(TruncateToUnsigned(-1e30), 0u);
    EXPECT_EQ(TruncateToUnsigned(std::nan("")), 0u);
    EXPECT_EQ(TruncateToUnsigned(4294967295.9), UINT32_MAX);
    EXPECT_EQ(TruncateToUnsigned(1e20), UINT32_MAX);
    EXPECT_EQ(RatioOf(5, 0), 0.0);
}

TEST(ProgressText, ByteCountsPrintAllSixtyFourBits)
{
    char text[48];
    FormatByteCount(text, sizeof(text), 6000000000ull);
    EXPECT_STREQ(text, "6000000000");
    FormatByteCount(text, sizeof(text), UINT64_MAX);
    EXPECT_STREQ(text, "18446744073709551615");
    FormatBytesConverted(text, sizeof(text), 4294967296ull);
    EXPECT_STREQ(text, "4294967296 Bytes converted.");
    FormatBytesConverted(text, sizeof(text), 0);
    EXPECT_STREQ(text, "0 Bytes converted.");
}

TEST(ProgressFigures, StartOfAFileFillsMarksAndTotalsButNotTheBatchBar)
{
    ProgressView view = {};
    view.TotalPosition = 1234;
    view.FilePosition = 99;
    StartFileInView(view, 4000, 1500);
    EXPECT_EQ(view.TotalRange, 10000u);
    EXPECT_EQ(view.FileRange, 10000u);
    EXPECT_EQ(view.TotalPosition, 1234u);
    EXPECT_EQ(view.FilePosition, 0u);
    EXPECT_STREQ(view.TotalMark, "of");
    EXPECT_STREQ(view.TotalTextMid, "4000 Bytes converted.");
    EXPECT_STREQ(view.FileMark, "of");
    EXPECT_STREQ(view.FileTextMid, "1500 Bytes converted.");
    EXPECT_STREQ(view.TotalTextLeft, "");
    EXPECT_STREQ(view.Tooltip, "");
}

TEST(ProgressFigures, FirstBlockOfHalfTheBatchAfterOneSecond)
{
    Batch batch(2000, 2000);
    const BlockTimes times = batch.Block(1000, 250, 1000, 6000);
    EXPECT_EQ(times.Elapsed, 1000u);
    EXPECT_EQ(times.Estimated, 2000u);
    EXPECT_EQ(times.Left, 1000u);
    EXPECT_EQ(batch.Counters.ConsumedBytes, 1000u);
    EXPECT_DOUBLE_EQ(batch.Counters.AverageRatio, 0.25);

    const ProgressView& view = batch.View;
    EXPECT_EQ(view.TotalPosition, 5000u);
    EXPECT_STREQ(view.TotalTextLeft, "1000");
    EXPECT_STREQ(view.TotalTextRight, "50.00 %");
    EXPECT_EQ(view.FilePosition, 5000u);
    EXPECT_STREQ(view.FileTextLeft, "1000");
    EXPECT_STREQ(view.FileTextRight, "50.00 %");
    EXPECT_STREQ(view.AvgCompression, "25.00 %");
    EXPECT_STREQ(view.CurCompression, "25.00 %");
    EXPECT_STREQ(view.ElapsedTime, "00:00:01");
    EXPECT_STREQ(view.EstimatedTime, "00:00:02 (00:00:01 left)");
    EXPECT_STREQ(view.Tooltip, "50.00 % converted (00:00:01 left)");
    EXPECT_STREQ(view.TotalTextMid, "2000 Bytes converted.");
}

TEST(ProgressFigures, CompressionsOfBlockAndBatch)
{
    Batch batch(100000, 100000);
    batch.Block(1000, 16000, 1000, 5000);
    EXPECT_STREQ(batch.View.CurCompression, "1600.00 %");
    EXPECT_STREQ(batch.View.AvgCompression, "1600.00 %");

    Batch mixed(100000, 100000);
    mixed.Block(1000, 250, 1000, 5000);
    mixed.Block(3000, 2250, 4000, 5000);
    // The average weighs each block by its source bytes: 2500 of 4000.
    EXPECT_STREQ(mixed.View.CurCompression, "75.00 %");
    EXPECT_STREQ(mixed.View.AvgCompression, "62.50 %");
}

TEST(ProgressFigures, ElapsedTimeAndTheTickCounterWrapping)
{
    Batch batch(1000000, 1000000);
    batch.Block(500000, 500000, 500000, 5000 + 3723000);
    EXPECT_STREQ(batch.View.ElapsedTime, "01:02:03");
    EXPECT_STREQ(batch.View.EstimatedTime, "02:04:06 (01:02:03 left)");

    Batch wrapped(1000, 1000);
    wrapped.Counters.StartTick = UINT32_MAX - 999;  // 1000 ms before the wrap
    wrapped.Block(100, 100, 100, 1000);
    EXPECT_STREQ(wrapped.View.ElapsedTime, "00:00:02");
}

TEST(ProgressFigures, BatchAboveFourGibibytes)
{
    Batch batch(6000000000ull, 100000);
    batch.Counters.ConsumedBytes = 5000000000ull - 16384;
    batch.Block(16384, 4096, 16384, 6000);
    EXPECT_STREQ(batch.View.TotalTextLeft, "5000000000");
    EXPECT_STREQ(batch.View.TotalTextMid, "6000000000 Bytes converted.");
    EXPECT_STREQ(batch.View.TotalTextRight, "83.33 %");
    EXPECT_EQ(batch.View.TotalPosition, 8333u);
    EXPECT_STREQ(batch.View.Tooltip, "83.33 % converted (00:00:00 left)");
}

TEST(ProgressFigures, BatchThatOutgrewItsMeasuredSize)
{
    // Files grew after they were measured: past 100 %, nothing left.
    Batch batch(1000, 1000);
    batch.Block(1500, 1500, 1500, 9000);
    EXPECT_STREQ(batch.View.TotalTextRight, "150.00 %");
    EXPECT_STREQ(batch.View.FileTextRight, "150.00 %");
    EXPECT_EQ(batch.View.TotalPosition, 10000u);
    EXPECT_EQ(batch.View.FilePosition, 10000u);
    EXPECT_STREQ(batch.View.EstimatedTime, "00:00:02 (00:00:00 left)");
    EXPECT_STREQ(batch.View.Tooltip, "150.00 % converted (00:00:00 left)");
}

TEST(ProgressFigures, ZeroSizesAndHugeEstimatesStayDefined)
{
    Batch empty(0, 0);
    empty.Block(0, 0, 0, 8000);
    EXPECT_EQ(empty.View.TotalPosition, 0u);
    EXPECT_EQ(empty.View.FilePosition, 0u);
    EXPECT_STREQ(empty.View.TotalTextRight, "0.00 %");
    EXPECT_STREQ(empty.View.FileTextRight, "0.00 %");
    EXPECT_STREQ(empty.View.CurCompression, "0.00 %");
    EXPECT_STREQ(empty.View.AvgCompression, "0.00 %");
    EXPECT_STREQ(empty.View.EstimatedTime, "00:00:00 (00:00:00 left)");

    // One byte of a terabyte after eleven days: the estimate is cut at the
    // largest time rather than wrapping.
    Batch slow(1ull << 40, 1000);
    slow.Block(1, 1, 1, 5000 + 1000000000);
    EXPECT_STREQ(slow.View.EstimatedTime, "1193:02:47 (915:16:07 left)");
}

TEST(ProgressFigures, ClearingRowsKeepsCompressionsTimesAndTooltip)
{
    Batch batch(2000, 2000);
    batch.Block(1000, 250, 1000, 6000);
    ClearRowsInView(batch.View);
    const ProgressView& view = batch.View;
    EXPECT_EQ(view.TotalPosition, 0u);
    EXPECT_EQ(view.FilePosition, 0u);
    for (const char* text : { view.TotalTextLeft, view.TotalMark, view.TotalTextMid, view.TotalTextRight,
                              view.FileTextLeft, view.FileMark, view.FileTextMid, view.FileTextRight })
        EXPECT_STREQ(text, "");
    EXPECT_STREQ(view.AvgCompression, "25.00 %");
    EXPECT_STREQ(view.CurCompression, "25.00 %");
    EXPECT_STREQ(view.ElapsedTime, "00:00:01");
    EXPECT_STREQ(view.EstimatedTime, "00:00:02 (00:00:01 left)");
    EXPECT_STREQ(view.Tooltip, "50.00 % converted (00:00:01 left)");
    EXPECT_EQ(view.TotalRange, 10000u);

    ResetProgressView(batch.View);
    for (const char* text : { view.AvgCompression, view.CurCompression, view.ElapsedTime, view.EstimatedTime,
                              view.Tooltip })
        EXPECT_STREQ(text, "");
    EXPECT_EQ(view.TotalRange, 0u);
}
