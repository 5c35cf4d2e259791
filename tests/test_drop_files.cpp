// Files and folders dropped onto the real main window, in a drop built as the
// shell builds one: the rows they make, their order, the one message about
// those refused, and a drop during a batch that changes nothing.
#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/settings.h"
#include "res/resource.h"
#include "sources/dropped_files.h"
#include "support/batch_window.h"
#include "support/list_window.h"
#include "support/test_files.h"
#include "ui/conversion_control.h"

namespace {

// ANSI paths, each NUL-terminated, after a DROPFILES header, in global
// memory that the receiver releases with DragFinish.
void Drop(HWND window, const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

class DropFiles : public testing::Test {
protected:
    void SetUp() override { ResetMainWindow(window_); }
    void TearDown() override { ResetMainWindow(window_); }
    std::string Wave(const std::string& name) const
    {
        WriteWholeFile(folder_.File(name), PcmWave(1, 8000, SineSamples(8000, 1, 800, 440.0)));
        return folder_.File(name);
    }
    std::string Text(const std::string& name) const
    {
        WriteWholeFile(folder_.File(name), Bytes{'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
        return folder_.File(name);
    }
    std::string Folder(const std::string& name) const
    {
        CreateDirectoryA(folder_.File(name).c_str(), nullptr);
        return folder_.File(name);
    }

    HWND window_ = SharedMainWindow();
    ScratchFolder folder_;
};

TEST_F(DropFiles, FilesAndFolderTreesJoinTheListInOrderOfTheirPaths)
{
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    std::string b = Wave("b.wav"), a = Wave("A.wav");
    std::string tree = Folder("tree");
    Folder("tree\\deep");
    std::string c = Wave("tree\\c.wav"), d = Wave("tree\\deep\\d.WAV");
    Text("tree\\notes.txt");
    Drop(window_, {b, tree, a});
    EXPECT_EQ(Filenames(window_), (std::vector<std::string>{a, b, c, d}));
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(ListRows(window_)[0].size, "1.61 KB");

    // Rows already listed, in any case, are skipped without a word.
    std::string e = Wave("e.wav");
    CharUpperA(a.data());
    Drop(window_, {e, a, c});
    EXPECT_EQ(Filenames(window_), (std::vector<std::string>{folder_.File("A.wav"), b, e, c, d}));
    EXPECT_TRUE(ShownMessages().empty());
    SelectRows(window_, {0});
    Drop(window_, {Wave("f.wav")});
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, IDC_REMOVE_FILE)));
    char line[100];
    GetDlgItemTextA(window_, IDC_SELECTION_INFO, line, sizeof(line));
    EXPECT_STREQ(line, "1.644 bytes in 1 files selected.");
}

TEST_F(DropFiles, OneRefusedFileGetsTheMessageOfAddFiles)
{
    std::string good = Wave("good.wav");
    Drop(window_, {Text("bad.wav"), good});
    EXPECT_EQ(Filenames(window_), std::vector<std::string>{good});
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].text, "Unable to read audio information from source file.");
    EXPECT_EQ(ShownMessages()[0].title, "Error");
    EXPECT_EQ(ShownMessages()[0].style, UINT(MB_ICONHAND));
    EXPECT_EQ(ShownMessages()[0].owner, window_);
}

TEST_F(DropFiles, ManyRefusedFilesGetOneMessageThatNamesTheFirst)
{
    // 255 characters fit the list's path buffer with its terminator; 256 do not.
    std::string longest = folder_.File(std::string(250 - folder_.Path().size(), 'x') + ".wav");
    std::string tooLong = folder_.File(std::string(251 - folder_.Path().size(), 'x') + ".wav");
    ASSERT_EQ(longest.size(), 255u);
    WriteWholeFile(longest, PcmWave(1, 8000, SineSamples(8000, 1, 800, 440.0)));
    std::string bad = Text("bad.wav"), good = Wave("good.wav");
    Drop(window_, {bad, tooLong, good, longest});
    EXPECT_EQ(Filenames(window_), (std::vector<std::string>{good, longest}));
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].text, "Unable to add 2 of the dropped files:\n\n" + bad + "\n" + tooLong);
    EXPECT_EQ(ShownMessages()[0].style, UINT(MB_ICONHAND));

    std::vector<std::string> seven = {"1", "2", "3", "4", "5", "6", "7"};
    EXPECT_EQ(RefusedDropText(seven, "ignored"), "Unable to add 7 of the dropped files:\n\n1\n2\n3\n4\n5\nand 2 more.");
}

TEST_F(DropFiles, ADropDuringABatchChangesNothing)
{
    ResetSettingsToDefaults(Settings);
    std::string output = Folder("output");
    lstrcpynA(Settings.DestinationPath, output.c_str(), sizeof(Settings.DestinationPath));
    std::string source = Wave("source.wav");
    AddBatchRow(window_, source, PcmFormat(1, 8000, 8));
    ClickConvert(window_);
    ASSERT_TRUE(IsConversionActive());
    std::string later = Wave("later.wav");
    Drop(window_, {later});
    EXPECT_EQ(Filenames(window_), std::vector<std::string>{source});
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
    Drop(window_, {later});
    EXPECT_EQ(Filenames(window_), (std::vector<std::string>{later, source}));
    EXPECT_TRUE(ShownMessages().empty());
}

}  // namespace
