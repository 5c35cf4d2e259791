// Files and folders dropped onto the real main window, in a drop built as the
// shell builds one: the rows they make and their order, the one message about
// those refused, and a drop during a batch that changes nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include "app/settings.h"
#include "res/resource.h"
#include "support/batch_window.h"
#include "ui/conversion_control.h"

namespace {

// ANSI paths, each NUL-terminated, behind a DROPFILES header, in global
// memory that the receiver releases.
void Drop(HWND window, const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() + 1);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    memcpy(header + 1, list.data(), list.size());
    GlobalUnlock(memory);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

class DropFiles : public testing::Test {
protected:
    void TearDown() override { ClearBatchRows(window_), DestroyWindow(window_); }
    std::vector<std::string> Rows() const { return RowTexts(window_); }
    std::string Wave(const std::string& name, const Bytes& bytes = PcmWave(1, 8000, SineSamples(8000, 1, 800, 440))) const
    {
        WriteWholeFile(folder_.File(name), bytes);
        return folder_.File(name);
    }
    std::string NotWave(const std::string& name) const { return Wave(name, Bytes{'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'}); }

    HWND window_ = CreateBatchWindow();
    ScratchFolder folder_;
    MessageRecorder recorder_;
};

TEST_F(DropFiles, FilesAndFolderTreesJoinInOrderOfTheirPathsAndListedOnesAreSkipped)
{
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    CreateDirectoryA(folder_.File("tree").c_str(), nullptr);
    CreateDirectoryA(folder_.File("tree\\deep").c_str(), nullptr);
    std::string b = Wave("b.wav"), a = Wave("A.wav"), c = Wave("tree\\c.wav"), d = Wave("tree\\deep\\d.WAV");
    NotWave("tree\\notes.txt");
    Drop(window_, {b, folder_.File("tree"), a});
    EXPECT_EQ(Rows(), (std::vector<std::string>{a, b, c, d}));
    std::string e = Wave("e.wav"), upper = a;
    CharUpperA(upper.data());
    Drop(window_, {e, upper, c});
    EXPECT_EQ(Rows(), (std::vector<std::string>{a, b, e, c, d}));
    EXPECT_TRUE(recorder_.Messages().empty());
    // The buttons and the selection line follow the new rows at once.
    SelectRows(window_, {0});
    Drop(window_, {Wave("f.wav")});
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, IDC_REMOVE_FILE)));
    EXPECT_EQ(ControlText(window_, IDC_SELECTION_INFO), "1.644 bytes in 1 files selected.");
}

TEST_F(DropFiles, RefusedFilesGetOneMessage)
{
    std::string good = Wave("good.wav"), bad = NotWave("bad.wav");
    Drop(window_, {bad, good});
    EXPECT_EQ(Rows(), std::vector<std::string>{good});
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to read audio information from source file."});
    EXPECT_EQ(recorder_.Messages()[0].Title, "Error");
    EXPECT_EQ(recorder_.Messages()[0].Style, UINT(MB_ICONHAND));

    // 255 characters fit the list's path buffer with its terminator; 256 do not.
    recorder_.Clear();
    ClearBatchRows(window_);
    std::string longest = folder_.File(std::string(250 - folder_.Path().size(), 'x') + ".wav");
    std::string tooLong = folder_.File(std::string(251 - folder_.Path().size(), 'x') + ".wav");
    ASSERT_EQ(longest.size(), 255u);
    WriteWholeFile(longest, PcmWave(1, 8000, SineSamples(8000, 1, 800, 440)));
    std::vector<std::string> dropped = {bad, tooLong, good, longest};
    for (const char* name : {"n1.wav", "n2.wav", "n3.wav", "n4.wav", "n5.wav"})
        dropped.push_back(NotWave(name));
    Drop(window_, dropped);
    EXPECT_EQ(Rows(), (std::vector<std::string>{good, longest}));
    EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"Unable to add 7 of the dropped files:\n\n" + bad + "\n" + tooLong +
                                                          "\n" + dropped[4] + "\n" + dropped[5] + "\n" + dropped[6] +
                                                          "\nand 2 more."});
}

TEST_F(DropFiles, ADropDuringABatchChangesNothing)
{
    ScratchFolder out;
    ResetSettingsToDefaults(Settings);
    lstrcpynA(Settings.DestinationPath, out.Path().c_str(), sizeof(Settings.DestinationPath));
    std::string source = Wave("source.wav"), later = Wave("later.wav");
    AddBatchRow(window_, source, PcmFormat(1, 8000, 8));
    Press(window_, IDC_CONVERT);
    ASSERT_TRUE(IsConversionActive());
    Drop(window_, {later});
    EXPECT_EQ(Rows(), std::vector<std::string>{source});
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
    Drop(window_, {later});
    EXPECT_EQ(Rows(), (std::vector<std::string>{later, source}));
    EXPECT_TRUE(recorder_.Messages().empty());
}

}  // namespace
