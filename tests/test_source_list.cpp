// The source file list as the user meets it: the rows that Add Files makes
// from the open dialog's answer, their Size and Audio Format texts, the
// messages when a file cannot be added, and Remove File with the records it
// frees.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "support/codec_formats.h"
#include "support/list_window.h"
#include "support/test_files.h"

namespace {

// The description the codecs give of a format, asked directly from them with
// a full WAVEFORMATEX.
std::string CodecDescription(const Bytes& format)
{
    Bytes full = format;
    full.resize(std::max<size_t>(full.size(), sizeof(WAVEFORMATEX)), 0);
    const WAVEFORMATEX& header = AsFormat(full);
    ACMFORMATTAGDETAILSA tag = {};
    tag.cbStruct = sizeof(tag);
    tag.dwFormatTag = header.wFormatTag;
    if (acmFormatTagDetailsA(nullptr, &tag, ACM_FORMATTAGDETAILSF_FORMATTAG) != 0)
        return "(unknown tag)";
    ACMFORMATDETAILSA details = {};
    details.cbStruct = sizeof(details);
    details.dwFormatTag = header.wFormatTag;
    details.pwfx = const_cast<WAVEFORMATEX*>(&header);
    details.cbwfx = DWORD(full.size());
    if (acmFormatDetailsA(nullptr, &details, ACM_FORMATDETAILSF_FORMAT) != 0)
        return "(unknown format)";
    return std::string(tag.szFormatTag) + " - " + details.szFormat;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        AppendRaw(out, part.data(), part.size());
    return out;
}

Bytes WaveWithFormat(const Bytes& format, size_t dataBytes = 64)
{
    return RiffForm("WAVE", Concat({ Chunk("fmt ", format), Chunk("data", Bytes(dataBytes, 0)) }));
}

// A short mono 8 kHz PCM file: 44 header bytes and 200 bytes of samples.
void WriteSmallWave(const std::string& path)
{
    WriteWholeFile(path, PcmWave(1, 8000, SineSamples(8000, 1, 100, 440.0)));
}

bool IsFreed(HGLOBAL block) { return GlobalFlags(block) == GMEM_INVALID_HANDLE; }

class SourceList : public testing::Test {
protected:
    void SetUp() override
    {
        window = SharedMainWindow();
        ResetMainWindow(window);
    }
    void TearDown() override { ResetMainWindow(window); }

    // Answers the open dialog with the given names in the scratch folder, as
    // a multi-file result, and runs Add Files.
    void AddFiles(const std::vector<std::string>& names)
    {
        AnswerOpenDialog(MultiFileResult(folder.Path(), names));
        AddSourceFiles(window);
    }

    void ExpectOneError(const char* text)
    {
        ASSERT_EQ(ShownMessages().size(), 1u);
        EXPECT_EQ(ShownMessages()[0].text, text);
        EXPECT_EQ(ShownMessages()[0].title, "Error");
        EXPECT_EQ(ShownMessages()[0].style, UINT(MB_ICONHAND | MB_OK));
        EXPECT_EQ(ShownMessages()[0].owner, window);
    }

    HWND window = nullptr;
    ScratchFolder folder;
};

}  // namespace

TEST_F(SourceList, ColumnsAreFilenameSizeAndAudioFormat)
{
    HWND header = reinterpret_cast<HWND>(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
    struct Expected {
        const char* title;
        int width;
        int format;
    } expected[] = { { "Filename", 300, LVCFMT_LEFT }, { "Size", 90, LVCFMT_RIGHT }, { "Audio Format", 179, LVCFMT_LEFT } };
    for (int index = 0; index < 3; ++index) {
        char title[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = sizeof(title);
        ASSERT_TRUE(SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETCOLUMNA, WPARAM(index),
                                        reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(title, expected[index].title);
        EXPECT_EQ(column.cx, expected[index].width);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, expected[index].format);
    }
}

TEST_F(SourceList, OpenDialogIsAskedForWaveFilesWithSeveralAllowed)
{
    AddSourceFiles(window);  // cancelled
    ASSERT_EQ(OpenDialogRequests().size(), 1u);
    const OpenDialogRequest& request = OpenDialogRequests()[0];
    EXPECT_EQ(request.structSize, DWORD(OPENFILENAME_SIZE_VERSION_400A));
#ifdef _WIN64
    EXPECT_EQ(request.structSize, 136u);
#else
    EXPECT_EQ(request.structSize, 76u);
#endif
    EXPECT_EQ(request.owner, window);
    EXPECT_EQ(request.filter, std::string("WAVE audio files (*.WAV)\0*.WAV\0All Files (*.*)\0*.*\0", 52));
    EXPECT_EQ(request.filterIndex, 1u);
    EXPECT_EQ(request.firstResultChar, '\0');
    EXPECT_EQ(request.maxFile, 4096u);
    EXPECT_FALSE(request.hasFileTitle);
    EXPECT_FALSE(request.hasCustomFilter);
    EXPECT_FALSE(request.hasInitialDir);
    EXPECT_EQ(request.title, "Source Files");
    EXPECT_EQ(request.flags, 0x81204u);
    EXPECT_EQ(request.defaultExtension, "WAV");
    EXPECT_EQ(request.customData, 0);

    // Cancelling changes nothing and says nothing.
    EXPECT_TRUE(ListRows(window).empty());
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(SourceList, RowsShowPathSizeAndFormatSortedWhateverTheOrderChosen)
{
    for (const char* name : { "charlie.wav", "alpha.wav", "bravo.wav" })
        WriteSmallWave(folder.File(name));
    AddFiles({ "charlie.wav", "alpha.wav", "bravo.wav" });

    EXPECT_TRUE(ShownMessages().empty());
    std::string pcm = CodecDescription(PcmFormat(1, 8000, 16));
    EXPECT_EQ(pcm.rfind("PCM - ", 0), 0u) << pcm;
    std::vector<ListRow> expected = {
        { folder.File("alpha.wav"), "244", pcm },
        { folder.File("bravo.wav"), "244", pcm },
        { folder.File("charlie.wav"), "244", pcm },
    };
    EXPECT_EQ(ListRows(window), expected);

    // Each row carries its own entry with the format bytes as the file holds
    // them (16 bytes, no cbSize) and no destination.
    for (int row = 0; row < 3; ++row) {
        HGLOBAL entry = RowEntry(window, row);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(GlobalFlags(entry) & GMEM_DISCARDABLE, 0u);
        EXPECT_EQ(GlobalSize(entry), sizeof(DWORD) + 16u + sizeof(HGLOBAL));
        BYTE format[1024];
        DWORD length = 0;
        ASSERT_TRUE(CopySourceFormat(entry, format, sizeof(format), &length));
        EXPECT_EQ(Bytes(format, format + length), PcmFormat(1, 8000, 16));
        HGLOBAL destination = reinterpret_cast<HGLOBAL>(1);
        ASSERT_TRUE(ReadDestinationHandle(entry, &destination));
        EXPECT_EQ(destination, nullptr);
    }
}

TEST_F(SourceList, SingleChosenFileIsOneFullPath)
{
    WriteSmallWave(folder.File("only.wav"));
    AnswerOpenDialog(SingleFileResult(folder.File("only.wav")));
    AddSourceFiles(window);
    EXPECT_EQ(Filenames(window), std::vector<std::string>{ folder.File("only.wav") });
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(SourceList, FormatWithExtraBytesIsDescribed)
{
    Bytes ima = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(ima.empty());
    WriteWholeFile(folder.File("ima.wav"), WaveWithFormat(ima));
    AddFiles({ "ima.wav" });
    EXPECT_TRUE(ShownMessages().empty());
    std::vector<ListRow> rows = ListRows(window);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].audioFormat, CodecDescription(ima));
    EXPECT_EQ(rows[0].audioFormat.rfind("IMA ADPCM - ", 0), 0u) << rows[0].audioFormat;
}

TEST_F(SourceList, EachRowDescribesItsOwnFormat)
{
    Bytes mono = PcmFormat(1, 8000, 16);
    Bytes stereo = PcmFormat(2, 44100, 16);
    Bytes ima = SuggestFormat(mono, WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(ima.empty());
    WriteWholeFile(folder.File("1.wav"), WaveWithFormat(mono));
    WriteWholeFile(folder.File("2.wav"), WaveWithFormat(stereo));
    WriteWholeFile(folder.File("3.wav"), WaveWithFormat(mono));
    WriteWholeFile(folder.File("4.wav"), WaveWithFormat(ima));
    WriteWholeFile(folder.File("5.wav"), WaveWithFormat(stereo));
    AddFiles({ "1.wav", "2.wav", "3.wav", "4.wav", "5.wav" });
    EXPECT_TRUE(ShownMessages().empty());

    std::vector<std::string> formats;
    for (const ListRow& row : ListRows(window))
        formats.push_back(row.audioFormat);
    EXPECT_NE(CodecDescription(mono), CodecDescription(stereo));
    EXPECT_EQ(formats, (std::vector<std::string>{ CodecDescription(mono), CodecDescription(stereo), CodecDescription(mono),
                                                  CodecDescription(ima), CodecDescription(stereo) }));
}

TEST_F(SourceList, PathAlreadyInListIsSkippedInAnyCaseWithoutMessage)
{
    for (const char* name : { "one.wav", "two.wav", "three.wav" })
        WriteSmallWave(folder.File(name));
    AddFiles({ "two.wav" });
    ASSERT_EQ(Filenames(window).size(), 1u);
    HGLOBAL firstEntry = RowEntry(window, 0);

    // The same file again, spelt in capitals, between two new ones.
    AddFiles({ "one.wav", "TWO.WAV", "three.wav" });
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(Filenames(window),
              (std::vector<std::string>{ folder.File("one.wav"), folder.File("three.wav"), folder.File("two.wav") }));
    EXPECT_EQ(RowEntry(window, 2), firstEntry);
}

TEST_F(SourceList, PathOf256CharactersEndsTheCommandWithoutMessage)
{
    WriteSmallWave(folder.File("a.wav"));
    WriteSmallWave(folder.File("c.wav"));
    // A name whose full path has 255 characters is the longest accepted.
    std::string longest(255 - folder.Path().size() - 5, 'm');
    longest += ".wav";
    WriteSmallWave(folder.File(longest));
    ASSERT_EQ(folder.File(longest).size(), 255u);
    std::string tooLong = "n" + longest;  // 256 characters joined; never opened

    AddFiles({ "a.wav", longest, tooLong, "c.wav" });
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(Filenames(window), (std::vector<std::string>{ folder.File("a.wav"), folder.File(longest) }));

    // As one full path it ends the command as well.
    ResetMainWindow(window);
    std::string single = folder.File(tooLong);
    ASSERT_EQ(single.size(), 256u);
    AnswerOpenDialog(SingleFileResult(single));
    AddSourceFiles(window);
    EXPECT_TRUE(ListRows(window).empty());
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(SourceList, SizeColumnUsesUnitsOf1024WithTwoDecimals)
{
    struct Case {
        const char* name;
        uint32_t size;
        const char* text;
    } cases[] = {
        { "a1023.wav", 1023, "1023" },
        { "b1024.wav", 1024, "1.00 KB" },
        { "c1048575.wav", 1048575, "1024.00 KB" },
        { "d1048576.wav", 1048576, "1.00 MB" },
        { "e1073741824.wav", 1073741824, "1.00 GB" },
    };
    std::vector<std::string> names;
    for (const Case& c : cases) {
        WriteWaveOfSize(folder.File(c.name), c.size);
        names.push_back(c.name);
    }
    AddFiles(names);
    EXPECT_TRUE(ShownMessages().empty());
    std::vector<ListRow> rows = ListRows(window);
    ASSERT_EQ(rows.size(), std::size(cases));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].filename, folder.File(cases[i].name));
        EXPECT_EQ(rows[i].size, cases[i].text) << cases[i].size;
    }
}

TEST(FileSizeText, BareBytesThenKilobytesMegabytesGigabytes)
{
    struct Case {
        uint32_t size;
        const char* text;
    } cases[] = {
        { 0, "0" },
        { 1023, "1023" },
        { 1024, "1.00 KB" },
        { 1535, "1.50 KB" },
        { 1048575, "1024.00 KB" },
        { 1048576, "1.00 MB" },
        { 1073741823, "1024.00 MB" },
        { 1073741824, "1.00 GB" },
        { 4294967295u, "4.00 GB" },
    };
    for (const Case& c : cases) {
        char text[SizeTextChars];
        FileSizeText(c.size, text);
        EXPECT_STREQ(text, c.text) << c.size;
    }
}

TEST_F(SourceList, FileThatIsNotWaveStopsTheCommand)
{
    WriteSmallWave(folder.File("1.wav"));
    WriteWholeFile(folder.File("2.txt"), Bytes{ 'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o' });
    WriteSmallWave(folder.File("3.wav"));
    AddFiles({ "1.wav", "2.txt", "3.wav" });
    ExpectOneError("Unable to read audio information from source file.");
    EXPECT_EQ(Filenames(window), std::vector<std::string>{ folder.File("1.wav") });
}

TEST_F(SourceList, FileThatCannotBeOpenedStopsTheCommand)
{
    WriteSmallWave(folder.File("1.wav"));
    WriteSmallWave(folder.File("3.wav"));
    AddFiles({ "1.wav", "2-missing.wav", "3.wav" });
    ExpectOneError("Unable to retrieve size of source file.");
    EXPECT_EQ(Filenames(window), std::vector<std::string>{ folder.File("1.wav") });
}

TEST_F(SourceList, FormatTagNoCodecKnowsLeavesRowWithoutFormatAndStops)
{
    WriteSmallWave(folder.File("1.wav"));
    Bytes unknown = PcmFormat(1, 8000, 16);
    unknown[0] = 0x77;
    unknown[1] = 0x77;
    WriteWholeFile(folder.File("2.wav"), WaveWithFormat(unknown));
    WriteSmallWave(folder.File("3.wav"));
    AddFiles({ "1.wav", "2.wav", "3.wav" });

    ExpectOneError("Unable to insert new source file into file list.");
    std::vector<ListRow> rows = ListRows(window);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].filename, folder.File("1.wav"));
    EXPECT_EQ(rows[1], (ListRow{ folder.File("2.wav"), "108", "" }));
    // The row keeps its entry with the format as read.
    BYTE format[1024];
    DWORD length = 0;
    ASSERT_TRUE(CopySourceFormat(RowEntry(window, 1), format, sizeof(format), &length));
    EXPECT_EQ(Bytes(format, format + length), unknown);
}

TEST(DescribeFormat, ShortPcmFormatIsNotReadPastItsEnd)
{
    // A 16-byte PCM format at the very end of a committed page, followed by a
    // page that cannot be read: any read past its 16 bytes faults.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    BYTE* pages = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(pages, nullptr);
    ASSERT_NE(VirtualAlloc(pages, system.dwPageSize, MEM_COMMIT, PAGE_READWRITE), nullptr);
    Bytes pcm = PcmFormat(2, 44100, 16);
    BYTE* format = pages + system.dwPageSize - pcm.size();
    memcpy(format, pcm.data(), pcm.size());

    char description[DescriptionChars];
    ASSERT_TRUE(DescribeFormat(format, DWORD(pcm.size()), description));
    EXPECT_EQ(description, CodecDescription(pcm));
    VirtualFree(pages, 0, MEM_RELEASE);

    Bytes unknown = pcm;
    unknown[0] = 0x77;
    unknown[1] = 0x77;
    EXPECT_FALSE(DescribeFormat(unknown.data(), DWORD(unknown.size()), description));
}

TEST(GetOpenResultPath, SingleFileAndFolderWithNames)
{
    char path[SourcePathChars];
    std::string single = SingleFileResult("C:\\music\\song.wav");
    ASSERT_TRUE(GetOpenResultPath(single.c_str(), path, 1));
    EXPECT_STREQ(path, "C:\\music\\song.wav");
    EXPECT_FALSE(GetOpenResultPath(single.c_str(), path, 2));
    EXPECT_FALSE(GetOpenResultPath(single.c_str(), path, 0));

    std::string several = MultiFileResult("C:\\music", { "a.wav", "b.wav" });
    ASSERT_TRUE(GetOpenResultPath(several.c_str(), path, 1));
    EXPECT_STREQ(path, "C:\\music\\a.wav");
    ASSERT_TRUE(GetOpenResultPath(several.c_str(), path, 2));
    EXPECT_STREQ(path, "C:\\music\\b.wav");
    EXPECT_FALSE(GetOpenResultPath(several.c_str(), path, 3));
    EXPECT_FALSE(GetOpenResultPath(several.c_str(), path, -1));

    EXPECT_FALSE(GetOpenResultPath(std::string(2, '\0').c_str(), path, 1));
    EXPECT_FALSE(GetOpenResultPath(nullptr, path, 1));

    std::string folder255 = "C:\\" + std::string(246, 'f');  // with "\x.wav" 255 characters
    std::string fits = MultiFileResult(folder255, { "x.wav", "xy.wav" });
    ASSERT_TRUE(GetOpenResultPath(fits.c_str(), path, 1));
    EXPECT_EQ(strlen(path), 255u);
    EXPECT_FALSE(GetOpenResultPath(fits.c_str(), path, 2));
}

TEST_F(SourceList, RemoveFileRemovesEverySelectedRowAndFreesItsBlocks)
{
    std::vector<std::string> names = { "1.wav", "2.wav", "3.wav", "4.wav", "5.wav" };
    for (const std::string& name : names)
        WriteSmallWave(folder.File(name));
    AddFiles(names);
    ASSERT_EQ(ListRows(window).size(), 5u);

    // Every row gets a destination format of its own.
    std::vector<HGLOBAL> entries, destinations;
    Bytes pcm = PcmFormat(1, 8000, 8);
    for (int row = 0; row < 5; ++row) {
        entries.push_back(RowEntry(window, row));
        destinations.push_back(CreateFormatBlock(pcm.data(), DWORD(pcm.size())));
        ASSERT_TRUE(SetDestinationHandle(entries.back(), destinations.back()));
    }

    SelectRows(window, { 0, 2, 4 });
    RemoveSelectedFiles(window);
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(Filenames(window), (std::vector<std::string>{ folder.File("2.wav"), folder.File("4.wav") }));
    for (int row : { 0, 2, 4 }) {
        EXPECT_TRUE(IsFreed(entries[row])) << "entry of row " << row;
        EXPECT_TRUE(IsFreed(destinations[row])) << "destination of row " << row;
    }
    for (int row : { 1, 3 }) {
        EXPECT_FALSE(IsFreed(entries[row])) << "entry of row " << row;
        EXPECT_FALSE(IsFreed(destinations[row])) << "destination of row " << row;
    }

    // Nothing selected: nothing goes.
    RemoveSelectedFiles(window);
    EXPECT_EQ(Filenames(window).size(), 2u);

    // Releasing all rows frees the rest, rows staying where they are.
    FreeAllSourceEntries(window);
    for (int row : { 1, 3 }) {
        EXPECT_TRUE(IsFreed(entries[row])) << "entry of row " << row;
        EXPECT_TRUE(IsFreed(destinations[row])) << "destination of row " << row;
    }
    EXPECT_EQ(Filenames(window).size(), 2u);
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_DELETEALLITEMS, 0, 0);
}
