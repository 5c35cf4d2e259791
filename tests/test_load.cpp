// Long batches: a thousand small files in one batch with flat memory, and
// thousands of rows added and removed leaving no memory blocks behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "app/settings.h"
#include "engine/conversion_state.h"
#include "engine/progress.h"
#include "engine/progress_text.h"
#include "res/resource.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "support/codec_formats.h"
#include "support/modal_driver.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"

namespace {

std::string Name(int i)
{
    char name[32];
    snprintf(name, sizeof(name), "file%04d.wav", i);
    return name;
}

}  // namespace

TEST(Load, AThousandSmallFilesInOneBatch)
{
    ResetSettingsToDefaults(Settings);
    ScratchFolder input, output;
    lstrcpynA(Settings.DestinationPath, output.Path().c_str(), sizeof(Settings.DestinationPath));
    MessageRecorder recorder;
    HWND window = CreateBatchWindow();
    ASSERT_NE(window, nullptr);
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    Bytes source = PcmWave(1, 8000, SineSamples(8000, 1, 2000, 440));
    constexpr int Files = 1000;
    for (int i = 0; i < Files; ++i) {
        std::string path = input.File(Name(i));
        WriteWholeFile(path, source);
        AddBatchRow(window, path, ulaw);
    }

    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }, 300000));
    PROCESS_MEMORY_COUNTERS after = ProcessMemory();
    printf("1000-file batch: working set %.1f MB before, %.1f MB after, peak %.1f MB; private %.1f -> %.1f MB\n",
           before.WorkingSetSize / 1048576.0, after.WorkingSetSize / 1048576.0, after.PeakWorkingSetSize / 1048576.0,
           before.PagefileUsage / 1048576.0, after.PagefileUsage / 1048576.0);

    EXPECT_TRUE(recorder.Messages().empty());
    EXPECT_EQ(BatchStatistics.MarkedFiles, DWORD(Files));
    EXPECT_EQ(BatchStatistics.ConsumedBytes, BatchStatistics.TotalBytes);
    char percentage[32];
    FormatPercentage(percentage, sizeof(percentage),
                     double(BatchStatistics.ConsumedBytes) / double(BatchStatistics.TotalBytes));
    EXPECT_STREQ(percentage, "100.00 %");
    for (int i = 0; i < Files; ++i)
        ASSERT_EQ(FinishedAudio(output.File(Name(i))).size(), 2000u) << Name(i);
    // Nothing a file needs stays behind after it: a thousand files leave
    // the memory where one did.
    EXPECT_LT(after.PagefileUsage, before.PagefileUsage + 16 * 1048576);
    for (int i = 0; i < Files; ++i)
        ASSERT_EQ(ReadWholeFile(input.File(Name(i))), source);

    ClearBatchRows(window);
    DestroyWindow(window);
    PumpFor(10);
}

TEST(Load, RowsAddedAndRemovedLeaveNoMemoryBlocks)
{
    ResetSettingsToDefaults(Settings);
    ScratchFolder input;
    MessageRecorder recorder;
    HWND window = CreateBatchWindow();
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    Bytes source = PcmWave(1, 8000, SineSamples(8000, 1, 100, 440));
    constexpr int Files = 1000;
    std::vector<HGLOBAL> blocks;
    for (int i = 0; i < Files; ++i) {
        std::string path = input.File(Name(i));
        WriteWholeFile(path, source);
        HGLOBAL entry = AddBatchRow(window, path, i % 2 ? ulaw : Bytes());
        blocks.push_back(entry);
        if (HGLOBAL destination = GetDestinationHandle(entry))
            blocks.push_back(destination);
    }
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), Files);

    LVITEMA all = {};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all));
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_REMOVE_FILE, BN_CLICKED), 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_TRUE(recorder.Messages().empty());
    int live = 0;
    for (HGLOBAL block : blocks)
        live += GlobalFlags(block) != GMEM_INVALID_HANDLE;
    EXPECT_EQ(live, 0) << "of " << blocks.size() << " blocks";

    DestroyWindow(window);
    PumpFor(10);
}
