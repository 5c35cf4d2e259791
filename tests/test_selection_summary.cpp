// The selection line under the file list and the buttons that follow the
// rows: Remove File and Select Destination Format with the selection, Convert
// with the rows that have a destination format.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "support/list_window.h"
#include "support/test_files.h"

namespace {

class SelectionSummary : public testing::Test {
protected:
    void SetUp() override
    {
        window = SharedMainWindow();
        ResetMainWindow(window);
    }
    void TearDown() override { ResetMainWindow(window); }

    // Adds a row for a file through Add Files; a file of a given size is a
    // WAVE file of that size when it can hold the header, any file otherwise
    // (added then as a row of its own, for the sizes only).
    void AddFile(const std::string& name, uint64_t size)
    {
        std::string path = folder.File(name);
        if (size >= 44 && size <= 0xFFFFFFFFu) {
            WriteWaveOfSize(path, uint32_t(size));
            AnswerOpenDialog(SingleFileResult(path));
            AddSourceFiles(window);
        } else {
            WriteFileOfSize(path, size);
            Bytes pcm = PcmFormat(1, 8000, 16);
            HGLOBAL entry = CreateSourceEntry(pcm.data(), DWORD(pcm.size()));
            ASSERT_NE(entry, nullptr);
            ASSERT_TRUE(InsertSourceRow(window, 0, path.c_str(), "", entry));
        }
        ASSERT_NE(FindRow(window, path), -1) << name;
        ASSERT_TRUE(ShownMessages().empty());
    }

    void SelectAll()
    {
        std::vector<int> rows;
        for (size_t i = 0; i < ListRows(window).size(); ++i)
            rows.push_back(int(i));
        SelectRows(window, rows);
    }

    std::string Line()
    {
        char text[256] = {};
        GetDlgItemTextA(window, IDC_SELECTION_INFO, text, sizeof(text));
        return text;
    }

    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

    // Gives the row of the file a destination format block of its own.
    HGLOBAL GiveDestination(const std::string& name)
    {
        int row = FindRow(window, folder.File(name));
        Bytes format = PcmFormat(1, 8000, 8);
        HGLOBAL block = CreateFormatBlock(format.data(), DWORD(format.size()));
        EXPECT_TRUE(SetDestinationHandle(RowEntry(window, row), block));
        return block;
    }

    HWND window = nullptr;
    ScratchFolder folder;
};

}  // namespace

TEST(GroupDigits, GroupsOfThreeJoinedByFullStops)
{
    EXPECT_EQ(GroupDigits(0), "0");
    EXPECT_EQ(GroupDigits(999), "999");
    EXPECT_EQ(GroupDigits(1000), "1.000");
    EXPECT_EQ(GroupDigits(1001), "1.001");
    EXPECT_EQ(GroupDigits(100000), "100.000");
    EXPECT_EQ(GroupDigits(1234567), "1.234.567");
    EXPECT_EQ(GroupDigits(1000000000), "1.000.000.000");
    EXPECT_EQ(GroupDigits(4294967295u), "4.294.967.295");
    EXPECT_EQ(GroupDigits(4294967296u), "4.294.967.296");
    EXPECT_EQ(GroupDigits(5000000000u), "5.000.000.000");
    EXPECT_EQ(GroupDigits(18446744073709551615u), "18.446.744.073.709.551.615");
}

TEST(SelectionSummaryText, FilesWhateverTheCount)
{
    EXPECT_EQ(SelectionSummaryText(0, 0), "No files selected.");
    EXPECT_EQ(SelectionSummaryText(0, 1), "0 bytes in 1 files selected.");
    EXPECT_EQ(SelectionSummaryText(1234567, 2), "1.234.567 bytes in 2 files selected.");
}

TEST_F(SelectionSummary, NothingSelected)
{
    AddFile("a.wav", 100);
    SelectRows(window, {});
    UpdateSelectionButtons(window);
    ShowSelectionSummary(window);
    EXPECT_EQ(Line(), "No files selected.");
    EXPECT_FALSE(Enabled(IDC_REMOVE_FILE));
    EXPECT_FALSE(Enabled(IDC_SELECT_FORMAT));
    EXPECT_FALSE(Enabled(IDC_CONVERT));

    // An empty list says the same.
    ResetMainWindow(window);
    ShowSelectionSummary(window);
    EXPECT_EQ(Line(), "No files selected.");
}

TEST_F(SelectionSummary, SelectionEnablesRemoveAndSelectFormat)
{
    AddFile("a.wav", 100);
    AddFile("b.wav", 100);
    SelectRows(window, { 1 });
    UpdateSelectionButtons(window);
    EXPECT_TRUE(Enabled(IDC_REMOVE_FILE));
    EXPECT_TRUE(Enabled(IDC_SELECT_FORMAT));
    EXPECT_FALSE(Enabled(IDC_CONVERT));

    SelectRows(window, {});
    UpdateSelectionButtons(window);
    EXPECT_FALSE(Enabled(IDC_REMOVE_FILE));
    EXPECT_FALSE(Enabled(IDC_SELECT_FORMAT));
}

TEST_F(SelectionSummary, OneEmptyFileSelected)
{
    AddFile("empty.raw", 0);
    SelectAll();
    ShowSelectionSummary(window);
    EXPECT_EQ(Line(), "0 bytes in 1 files selected.");
}

TEST_F(SelectionSummary, TotalsKeepTheirDigitGroups)
{
    struct Case {
        std::vector<uint64_t> sizes;
        const char* line;
    } cases[] = {
        { { 999 }, "999 bytes in 1 files selected." },
        { { 400, 600 }, "1.000 bytes in 2 files selected." },
        { { 1234567 }, "1.234.567 bytes in 1 files selected." },
        { { 2147483648u, 2147483647u }, "4.294.967.295 bytes in 2 files selected." },
        { { 2000000000u, 2000000000u, 1000000000u }, "5.000.000.000 bytes in 3 files selected." },
        { { 5000000000u }, "5.000.000.000 bytes in 1 files selected." },
    };
    for (const Case& c : cases) {
        ResetMainWindow(window);
        for (size_t i = 0; i < c.sizes.size(); ++i)
            AddFile("file" + std::to_string(i) + ".wav", c.sizes[i]);
        SelectAll();
        ShowSelectionSummary(window);
        EXPECT_EQ(Line(), c.line);
    }
}

TEST_F(SelectionSummary, OnlySelectedFilesCount)
{
    AddFile("a.wav", 1000);
    AddFile("b.wav", 2000);
    AddFile("c.wav", 4000);
    SelectRows(window, { 0, 2 });
    ShowSelectionSummary(window);
    EXPECT_EQ(Line(), "5.000 bytes in 2 files selected.");
}

TEST_F(SelectionSummary, SelectedFileDeletedFromDisk)
{
    AddFile("a.wav", 1000);
    AddFile("b.wav", 2000);
    SelectAll();
    ASSERT_TRUE(DeleteFileA(folder.File("b.wav").c_str()));
    ShowSelectionSummary(window);
    EXPECT_EQ(Line(), "Unable to calculate size of selected files.");
    EXPECT_TRUE(ShownMessages().empty());

    // The sizes are taken from the files at each call, not kept.
    SelectRows(window, { 0 });
    ShowSelectionSummary(window);
    EXPECT_EQ(Line(), "1.000 bytes in 1 files selected.");
}

TEST_F(SelectionSummary, ConvertFollowsRowsWithDestinationFormat)
{
    AddFile("a.wav", 100);
    AddFile("b.wav", 100);
    AddFile("c.wav", 100);
    UpdateSelectionButtons(window);
    EXPECT_FALSE(Enabled(IDC_CONVERT));

    // A row that is not selected counts as well.
    SelectRows(window, { 0 });
    GiveDestination("c.wav");
    UpdateConvertButton(window);
    EXPECT_TRUE(Enabled(IDC_CONVERT));
    GiveDestination("b.wav");
    UpdateSelectionButtons(window);
    EXPECT_TRUE(Enabled(IDC_CONVERT));

    // Removing one marked row leaves the other.
    SelectRows(window, { FindRow(window, folder.File("b.wav")) });
    RemoveSelectedFiles(window);
    UpdateSelectionButtons(window);
    EXPECT_TRUE(Enabled(IDC_CONVERT));

    // Removing the last one disables Convert.
    SelectRows(window, { FindRow(window, folder.File("c.wav")) });
    RemoveSelectedFiles(window);
    UpdateSelectionButtons(window);
    EXPECT_EQ(Filenames(window), std::vector<std::string>{ folder.File("a.wav") });
    EXPECT_FALSE(Enabled(IDC_CONVERT));
    EXPECT_FALSE(Enabled(IDC_REMOVE_FILE));
}

TEST_F(SelectionSummary, DestinationHandleOfFreedBlockDoesNotCount)
{
    AddFile("a.wav", 100);
    HGLOBAL block = GiveDestination("a.wav");
    UpdateConvertButton(window);
    ASSERT_TRUE(Enabled(IDC_CONVERT));

    // A handle left behind in the entry whose block is gone marks nothing.
    GlobalFree(block);
    ASSERT_EQ(GlobalFlags(block), UINT(GMEM_INVALID_HANDLE));
    UpdateConvertButton(window);
    EXPECT_FALSE(Enabled(IDC_CONVERT));
    ASSERT_TRUE(SetDestinationHandle(RowEntry(window, 0), nullptr));
}
