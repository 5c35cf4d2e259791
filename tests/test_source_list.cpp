// The main window's list as the user meets it: the rows Add Files makes from
// the open dialog's answer and those a drop makes, the selection line, the
// buttons that follow the rows, Remove File with the blocks it frees, and the
// two format panels.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include "engine/batch/batch_steering.h"
#include "app/command_line.h"
#include "win/command_args.h"
#include "settings/settings.h"
#include "res/resource.h"
#include "sources/format_names.h"
#include "ui/format_panels.h"
#include "ui/format_texts.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/file_size.h"
#include "sources/source_check.h"
#include "sources/source_list.h"
#include "support/batch_window.h"
#include "win/user_prompts.h"

namespace {

std::string openResult;  // what the open dialog answers, NULs included
BOOL AnswerOpenDialog(OPENFILENAMEA* dialog)
{
    memcpy(dialog->lpstrFile, openResult.data(), openResult.size());
    return !openResult.empty();
}
class SourceList : public testing::Test {
protected:
    static void SetUpTestSuite() { window = CreateBatchWindow(); }
    static void TearDownTestSuite() { DestroyWindow(window); }
    void SetUp() override { SetOpenFileNameFunction(AnswerOpenDialog), ResetSettingsToDefaults(Settings); }
    void TearDown() override { SetOpenFileNameFunction(nullptr), ClearBatchRows(window); }

    void AddFiles(const std::vector<std::string>& names)
    {
        openResult = folder.Path() + '\0';
        for (const std::string& name : names)
            openResult += name + '\0';
        openResult += '\0';
        Press(window, IDC_ADD_FILES);
    }
    std::vector<std::string> Rows() const { return RowTexts(window, 3); }
    HGLOBAL Row(const Bytes& source, const Bytes& destination = {}, const char* name = "C:\\a.wav")
    {
        HGLOBAL entry = CreateSourceEntry(source.data(), DWORD(source.size()));
        if (!destination.empty())
            SetDestinationHandle(entry, CreateFormatBlock(destination.data(), DWORD(destination.size())));
        InsertSourceRow(window, name, "0", entry);
        return entry;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

    static HWND window;
    ScratchFolder folder;
    MessageRecorder recorder;
};
HWND SourceList::window = nullptr;

}  // namespace

TEST_F(SourceList, AddFilesMakesSortedRowsWithSizeAndFormatOnceForEachPath)
{
    WriteWholeFile(folder.File("b.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 100, 440)));
    WriteWholeFile(folder.File("ä.wav"), PcmWave(2, 44100, SineSamples(44100, 2, 1000, 440)));
    AddFiles({"b.wav", "ä.wav", "B.WAV", "Ä.WAV"});  // case ignored beyond ASCII too, ä before b
    std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].substr(0, rows[0].find(" | PCM - ")), folder.File("ä.wav") + " | 3.95 KB");
    EXPECT_EQ(rows[1].substr(0, rows[1].find(" | PCM - ")), folder.File("b.wav") + " | 244");
    EXPECT_TRUE(recorder.Texts().empty());

    // A file that is not WAVE, one that is gone, one whose tag no codec knows:
    // the command stops there, after what came before.
    WriteWholeFile(folder.File("c.txt"), Bytes(100, 'x'));
    Bytes unknownTag = {0x77, 0x77, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0};
    WriteWholeFile(folder.File("d.wav"), RiffForm("WAVE", Join({Chunk("fmt ", unknownTag), Chunk("data", {})})));
    AddFiles({"ä.wav", "c.txt", "b2.wav"});
    AddFiles({"gone.wav"});
    std::string longName;  // fewer than 256 characters, more than 255 bytes
    while (folder.Path().size() + longName.size() < 256)
        longName += "Ступени";
    AddFiles({longName + ".wav", "b.wav"});
    AddFiles({"d.wav", "a2.wav"});
    EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"Unable to read audio information from source file.\n" +
                                                              folder.File("c.txt") + ": the file cannot be read (error 11).",
                                                          "Unable to retrieve size of source file.\n" + folder.File("gone.wav") +
                                                              ": the file cannot be opened (error 2).",
                                                          PathTooLongMessage, "Unable to insert new source file into file list."}));
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Rows()[2], folder.File("d.wav") + " | 44 | ");
    for (auto [size, text] : {std::pair<uint32_t, const char*>{1023, "1023"}, {1048576, "1.00 MB"}, {4294967295u, "4.00 GB"}}) {
        char shown[SizeTextChars];
        FileSizeText(size, shown);
        EXPECT_STREQ(shown, text);
    }
}

TEST_F(SourceList, TheSelectionLineAndTheButtonsFollowTheRows)
{
    auto fileOf = [&](const char* name, uint64_t size) {
        HANDLE file = CreateFileA(folder.File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = LONGLONG(size);
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        Row(PcmFormat(1, 8000, 16), {}, folder.File(name).c_str());
    };
    fileOf("a.wav", 1000), fileOf("b.wav", 4999999999u), fileOf("c.wav", 999);
    const struct {
        std::vector<int> rows;
        const char* line;
    } cases[] = {{{}, "No files selected."}, {{2}, "999 bytes in 1 files selected."},
                 {{0, 2}, "1.999 bytes in 2 files selected."}, {{0, 1}, "5.000.000.999 bytes in 2 files selected."}};
    for (const auto& c : cases) {
        SelectRows(window, c.rows);
        UpdateSelectionButtons(window);
        ShowSelectionSummary(window);
        EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO), c.line);
        EXPECT_EQ(Enabled(IDC_REMOVE_FILE), !c.rows.empty());
        EXPECT_EQ(Enabled(IDC_SELECT_FORMAT), !c.rows.empty());
        EXPECT_FALSE(Enabled(IDC_CONVERT));
    }
    DeleteFileA(folder.File("b.wav").c_str());
    ShowSelectionSummary(window);
    EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO), "Unable to calculate size of selected files.");
    EXPECT_EQ(GroupDigits(18446744073709551615u), "18.446.744.073.709.551.615");

    // Convert follows the rows with a destination, selected or not; Remove
    // File frees a row's entry and its destination block.
    HGLOBAL entry = GetRowEntry(GetDlgItem(window, IDC_FILE_LIST), 2);
    HGLOBAL destination = CreateFormatBlock(PcmFormat(1, 8000, 8).data(), 16);
    SetDestinationHandle(entry, destination);
    SelectRows(window, {0});
    UpdateSelectionButtons(window);
    EXPECT_TRUE(Enabled(IDC_CONVERT));
    SelectRows(window, {1, 2});
    Press(window, IDC_REMOVE_FILE);
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_FALSE(Enabled(IDC_CONVERT));
    EXPECT_FALSE(Enabled(IDC_REMOVE_FILE));
    EXPECT_EQ(GlobalFlags(entry), UINT(GMEM_INVALID_HANDLE));
    EXPECT_EQ(GlobalFlags(destination), UINT(GMEM_INVALID_HANDLE));
    EXPECT_TRUE(recorder.Texts().empty());
}

// Files and folders dropped as the shell drops them join as Add Files adds
// them; what is refused gets one message.
TEST_F(SourceList, DroppedFilesAndFolderTreesJoinInPathOrderAndRefusedOnesGetOneMessage)
{
    auto wave = [&](const std::string& name, const Bytes& bytes = PcmWave(1, 8000, SineSamples(8000, 1, 800, 440))) {
        return WriteWholeFile(folder.File(name), bytes), folder.File(name);
    };
    const Bytes notWave(9, 'n');
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    CreateDirectoryA(folder.File("tree").c_str(), nullptr);
    CreateDirectoryA(folder.File("tree\\deep").c_str(), nullptr);
    std::string b = wave("b.wav"), a = wave("A.wav"), c = wave("tree\\c.wav"), d = wave("tree\\deep\\d.WAV");
    wave("tree\\notes.txt", notWave);
    DropPaths(window, {b, folder.File("tree"), a});
    EXPECT_EQ(RowTexts(window), (std::vector<std::string>{a, b, c, d}));
    // The command line hands paths over as a drop does. Listed ones are
    // skipped whatever their case; the buttons and the selection line follow
    // at once.
    std::string e = wave("e.wav"), upper = a;
    CharUpperA(upper.data());
    SelectRows(window, {0});
    AddCommandLinePaths(window, ("\"" + e + "\"\t" + upper + " " + c).c_str());
    EXPECT_EQ(RowTexts(window), (std::vector<std::string>{a, b, e, c, d}));
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_TRUE(Enabled(IDC_REMOVE_FILE));
    EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO), "1.644 bytes in 1 files selected.");

    ClearBatchRows(window);
    std::string good = wave("good.wav"), bad = wave("bad.wav", notWave);
    DropPaths(window, {bad, good});
    EXPECT_EQ(RowTexts(window), std::vector<std::string>{good});
    ASSERT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to read audio information from source file.\n" + bad +
                                                         ": the file cannot be read (error 11)."});
    EXPECT_EQ(recorder.Messages()[0].Title + std::to_string(recorder.Messages()[0].Style), "Error" + std::to_string(MB_ICONHAND));
    // 255 characters fit the list's path buffer with its terminator; 256 do not.
    recorder.Clear(), ClearBatchRows(window);
    std::string longest = wave(std::string(250 - folder.Path().size(), 'x') + ".wav");
    std::string tooLong = folder.File(std::string(251 - folder.Path().size(), 'x') + ".wav");
    ASSERT_EQ(longest.size(), 255u);
    std::vector<std::string> dropped = {bad, tooLong, good, longest};
    for (const char* name : {"n1.wav", "n2.wav", "n3.wav", "n4.wav", "n5.wav"})
        dropped.push_back(wave(name, notWave));
    DropPaths(window, dropped);
    EXPECT_EQ(RowTexts(window), (std::vector<std::string>{good, longest}));
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to add 7 of the dropped files:\n\n" + bad + "\n" + tooLong + "\n" +
                                                         dropped[4] + "\n" + dropped[5] + "\n" + dropped[6] + "\nand 2 more."});
    // The command line speaks of given files and tells a row without a
    // description apart; the own reader's formats are described (valid bits,
    // not the container's) where no codec does; one no stage reads is refused.
    recorder.Clear(), ClearBatchRows(window);
    const WORD ext = WAVE_FORMAT_EXTENSIBLE;
    std::vector<std::string> given;
    std::string line;
    for (const Bytes& format : {WaveFormat(ext, 2, 48000, 24, 20, 3), WaveFormat(ext, 6, 44100, 32, 0, 0x3F, 3),
                                WaveFormat(ext, 1, 48000, 24, 24, 4),
                                Bytes{0x77, 0x77, 1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 8, 0}, WaveFormat(1, 1, 8000, 40)}) {
        given.push_back(wave(std::string{'f', char('0' + given.size())} + ".wav", RiffForm("WAVE", Join({Chunk("fmt ", format), Chunk("data", {})}))));
        line += given.back() + " ";
    }
    AddCommandLinePaths(window, line.c_str());
    EXPECT_EQ(RowTexts(window, 3), (std::vector<std::string>{given[0] + " | 68 | PCM - 48000 Hz; 20 bits; Stereo",
                                                            given[1] + " | 68 | IEEE Float - 44100 Hz; 32 bits; 6 Channels",
                                                            given[2] + " | 68 | PCM - 48000 Hz; 24 bits; Mono", given[3] + " | 44 | "}));
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to add 1 of the given files:\n\n" + given[4] +
                                                         "\n\nUnable to describe the audio format of 1 of the given files, "
                                                         "listed without a description:\n\n" + given[3]});
    SelectRows(window, {1});
    ShowFormatPanels(window);
    EXPECT_EQ(ControlText(window, IDC_SRC_FORMATTAG), "IEEE Float - 44100 Hz; 32 bits; 6 Channels");
    EXPECT_EQ(SplitCommandLine(" \"C:\\a b\\c.wav\"  d.wav \"e\\\\\" f\\\"g \"h\"\"i\" "),
              (std::vector<std::string>{"C:\\a b\\c.wav", "d.wav", "e\\", "f\"g", "h\"i"}));
}

TEST_F(SourceList, FormatPanelsShowTheFieldsTheSelectedRowsShareAndDashesElsewhere)
{
    const Bytes cd = PcmFormat(2, 44100, 16), cd18 = Join({cd, Bytes{0, 0}}), phone = PcmFormat(1, 8000, 8);
    const Bytes ulaw = SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_MULAW);
    const Bytes unknown = Join({Bytes{0x77, 0x77}, Bytes(cd.begin() + 2, cd.end())});
    char tag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS] = "";
    GetFormatTagName(WAVE_FORMAT_MULAW, tag);
    const std::string stereo = "2 (Stereo)|44.100 kHz|172.27 kBytes/sec.|4 Bytes|16 Bits/Sample|";
    const std::string ulawPanel = "1 (Mono)|8.000 kHz|7.81 kBytes/sec.|1 Byte|8 Bits/Sample|";
    // The panel's texts; a tag with a format name is cut after the " - ".
    auto panel = [&](std::initializer_list<int> ids) {
        std::string texts;
        for (int id : ids) {
            std::string shown = ControlText(window, id);
            texts += shown.substr(0, shown.find(" - ") == std::string::npos ? shown.size() : shown.find(" - ") + 3) + "|";
        }
        return texts;
    };
    const struct {
        std::vector<std::pair<Bytes, Bytes>> rows;  // source and destination format of each selected row
        std::string source, destination;
    } cases[] = {
        {{{cd, {}}}, "PCM - |" + stereo + "-----|", "||||||"},
        {{{cd18, {}}, {cd18, ulaw}}, "PCM|" + stereo + "0 Bytes|", std::string(tag) + " - |" + ulawPanel},
        {{{cd18, ulaw}, {cd, phone}}, "PCM|" + stereo + "-----|", "-----|" + ulawPanel},
        {{{cd, {}}, {phone, {}}}, "PCM|-----|-----|-----|-----|-----|-----|", "||||||"},
        {{{unknown, {}}, {cd, {}}}, "-----|" + stereo + "-----|", "||||||"},
    };
    for (const auto& c : cases) {
        ClearBatchRows(window);
        Row(phone, ulaw, "C:\\unselected.wav");  // never shown
        std::vector<int> selected;
        for (size_t i = 0; i < c.rows.size(); ++i)
            Row(c.rows[i].first, c.rows[i].second, ("C:\\a" + std::to_string(i) + ".wav").c_str()), selected.push_back(int(i));
        SelectRows(window, selected);
        ShowFormatPanels(window);
        EXPECT_EQ(panel({IDC_SRC_FORMATTAG, IDC_SRC_CHANNELS, IDC_SRC_SAMPLERATE, IDC_SRC_DATARATE, IDC_SRC_BLOCKALIGN,
                         IDC_SRC_RESOLUTION, IDC_SRC_EXTRA}), c.source);
        EXPECT_EQ(panel({IDC_DST_FORMATTAG, IDC_DST_CHANNELS, IDC_DST_SAMPLERATE, IDC_DST_DATARATE, IDC_DST_BLOCKALIGN,
                         IDC_DST_RESOLUTION}), c.destination);
    }
    SelectRows(window, {});
    ShowFormatPanels(window);
    EXPECT_EQ(ControlText(window, IDC_SRC_CHANNELS) + ControlText(window, IDC_DST_CHANNELS), "");
}

// A change of the selection shows in the buttons, the panels and the
// selection line once its timer has run out, not before.
TEST_F(SourceList, ASelectionChangeShowsWhenItsTimerRunsOut)
{
    WriteWholeFile(folder.File("a.wav"), PcmWave(1, 8000, SineSamples(8000, 1, 100, 440)));
    AddFiles({"a.wav"});
    PumpFor(100);  // the refreshes of earlier changes
    Settings.SelectionTimer = 300;
    SelectRows(window, {0});
    EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO) + ControlText(window, IDC_SRC_CHANNELS), "No files selected.");
    ASSERT_FALSE(Enabled(IDC_REMOVE_FILE));
    ASSERT_TRUE(PumpUntil([&] { return Enabled(IDC_REMOVE_FILE); }, 5000));
    EXPECT_EQ(ControlText(window, IDC_SELECTION_INFO) + ControlText(window, IDC_SRC_CHANNELS),
              "244 bytes in 1 files selected.1 (Mono)");
}

TEST(FormatTexts, RatesStepInThousandsAndBinaryMultiplesRoundingHalfUp)
{
    const std::pair<uint32_t, const char*> rates[] = {{999, "999 Hz"}, {22050, "22.050 kHz"}, {999999999, "1000.000 MHz"},
                                                      {4294967295u, "4.295 GHz"}};
    for (auto [rate, text] : rates)
        EXPECT_EQ(SampleRateText(rate), text);
    // 1152 bytes are exactly 1.125 kBytes, 1408 and 2688 are 1.375 and 2.625.
    const std::pair<uint32_t, const char*> dataRates[] = {{1, "1 Byte/sec."}, {1023, "1023 Bytes/sec."},
        {1152, "1.13 kBytes/sec."}, {1408, "1.38 kBytes/sec."}, {2688, "2.63 kBytes/sec."}, {1151, "1.12 kBytes/sec."},
        {1048575, "1024.00 kBytes/sec."}, {1053819, "1.01 MBytes/sec."}, {1053818, "1.00 MBytes/sec."},
        {4294967295u, "4.00 GBytes/sec."}};
    for (auto [rate, text] : dataRates)
        EXPECT_EQ(DataRateText(rate), text);
    EXPECT_EQ(FixedPointHalfUp(9.9995, 3), "9.999");  // below half-way in binary
    EXPECT_EQ(ChannelsText(0) + BlockAlignText(0) + ResolutionText(1) + ExtraInformationText(1),
              "0 (Multi-Channel)0 Bytes1 Bit/Sample1 Byte");
}

namespace {
// In the chooser: the U-Law tag, "8000 Hz mono" as the codec names it, OK.
void CALLBACK PickULaw8kMono(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND chooser = FindWindowA(nullptr, "Destination Format");
    HWND tags = GetDlgItem(chooser, IDC_CHOOSER_TAG), formats = GetDlgItem(chooser, IDC_CHOOSER_FORMATS);
    char tag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS] = "", name[ACMFORMATDETAILS_FORMAT_CHARS] = "";
    WAVEFORMATEX ulaw = {WAVE_FORMAT_MULAW, 1, 8000, 8000, 1, 8, 0};
    GetFormatTagName(WAVE_FORMAT_MULAW, tag), GetFormatName(&ulaw, sizeof(ulaw), name);
    SendMessageA(tags, CB_SETCURSEL, SendMessageA(tags, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(tag)), 0);
    SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_TAG, CBN_SELCHANGE), LPARAM(tags));
    SendMessageA(formats, LB_SETCURSEL, SendMessageA(formats, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(name)), 0);
    SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_FORMATS, LBN_SELCHANGE), LPARAM(formats));
    if (IsWindowEnabled(GetDlgItem(chooser, IDOK)))
        SendDlgItemMessageA(chooser, IDOK, BM_CLICK, 0, 0);
    else
        SendDlgItemMessageA(chooser, IDCANCEL, BM_CLICK, 0, 0);
}
Bytes Patched(Bytes bytes, size_t at, uint32_t value, size_t size)
{
    memcpy(bytes.data() + at, &value, size);
    return bytes;
}
}  // namespace

// Files as recorders, game tools and other libraries write them: the list
// takes what sox reads, describes it, refuses what no stage can convert with
// its reason; the chooser offers u-law 8 kHz mono to all the readable rows
// and leaves out the one whose tag no codec decodes, which gets no format
// and one message; the size pass names a file deleted since; the batch
// converts the rest, and sox reads back a second of the tone from each.
TEST_F(SourceList, RecordingsOfOtherToolsJoinDescribedAndConvertInOneBatch)
{
    ScratchFolder out;
    const Bytes mono16k = ToneWave(WaveFormat(1, 1, 16000, 16)), wide = ToneWave(WaveFormat(1, 2, 48000, 32));
    const Bytes r16 = ToneWave(WaveFormat(1, 1, 22050, 16)), r24 = ToneWave(WaveFormat(1, 2, 44100, 24));
    auto file = [&](const std::string& name, const Bytes& bytes) { return WriteWholeFile(folder.File(name), bytes), folder.File(name); };
    auto sox = [&](const std::string& name, const std::string& from, const std::string& options) {
        EXPECT_EQ(RunUnixCommand("sox " + UnixArgument(from) + " " + options + " " + UnixArgument(folder.File(name))), 0);
        return folder.File(name);
    };
    std::string stereo16k = file("s16k.tmp", ToneWave(WaveFormat(1, 2, 16000, 16)));
    std::string adpcm = sox("adpcm.wav", file("a.tmp", r16), "-e ms-adpcm");
    WriteWholeFile(adpcm, Patched(ReadWholeFile(adpcm), 28, 0, 4));  // 0 bytes per second
    std::vector<std::string> given = {
        file("pcm zeroed.wav", Patched(Patched(mono16k, 28, 0, 4), 32, 0, 2)), adpcm,
        file("24 in 4.wav", Patched(wide, 34, 24, 2)), sox("ulaw 16k.wav", stereo16k, "-e u-law"),
        file("rf64.wav", Rf64Wave(FormatOf(mono16k), AudioOf(mono16k))),
        file("rifx16.wav", RifxWave(FormatOf(r16), AudioOf(r16), 2)),
        file("rifx24.wav", RifxWave(FormatOf(r24), AudioOf(r24), 3)),
        file("unknown tag.wav", RiffForm("WAVE", Join({Chunk("fmt ", Patched(FormatOf(r16), 0, 0x1234, 2)),
                                                        Chunk("data", AudioOf(r16))}))),
        file("fmt size wrong.wav", Patched(mono16k, 16, 40, 4)),
        file("rf64 5 GB.wav", Rf64Wave(FormatOf(mono16k), AudioOf(mono16k), 5ull << 30)),
        file("rifx ulaw.wav", RifxWave(Patched(FormatOf(r16), 0, WAVE_FORMAT_MULAW, 2), AudioOf(r16), 1))};
    DropPaths(window, given);
    std::vector<std::string> rows = RowTexts(window, 3), listed(given.begin(), given.begin() + 8);
    std::sort(listed.begin(), listed.end(), [](auto& a, auto& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    ASSERT_EQ(rows.size(), 8u);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].substr(0, listed[i].size()), listed[i]);
    std::string described;
    for (const std::string& row : rows)
        described += row.substr(row.rfind(" | ") + 3) + "\n";
    for (const char* text : {"16000 Hz; 16 bits; Mono", "ADPCM", "48000 Hz; 24 bits; Stereo", "44100 Hz; 24 bits; Stereo",
                             "22050 Hz; 16 bits; Mono"})
        EXPECT_NE(described.find(text), std::string::npos) << text << " in\n" << described;
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{
        "Unable to add 3 of the dropped files:\n\n" + given[8] + "\n" + given[9] + "\n" + given[10] +
        "\n\nUnable to describe the audio format of 1 of the dropped files, listed without a description:\n\n" + given[7]});
    recorder.Clear();
    DropPaths(window, {given[9]});
    DropPaths(window, {given[10]});
    EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{
        "Unable to add a source file with 5.00 GB of audio data: at most 4 GB can be converted.",
        "Unable to read a big-endian (RIFX) source file whose audio is neither PCM nor float."}));

    recorder.Clear();
    SelectRows(window, {0, 1, 2, 3, 4, 5, 6, 7});
    UpdateSelectionButtons(window);
    ASSERT_TRUE(Enabled(IDC_SELECT_FORMAT));
    SetTimer(nullptr, 0, 50, PickULaw8kMono);
    Press(window, IDC_SELECT_FORMAT);
    ASSERT_EQ(recorder.Texts(), std::vector<std::string>{"Unable to give a destination format to 1 of the selected "
                                                         "files, whose audio format cannot be read:\n" + given[7]});
    lstrcpynA(Settings.DestinationPath, out.Path().c_str(), sizeof(Settings.DestinationPath));
    recorder.Clear();
    DeleteFileA(given[4].c_str());
    UpdateConvertButton(window);
    ASSERT_TRUE(Enabled(IDC_CONVERT));
    Press(window, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{
        "Unable to calculate size of all files marked for conversion.\n" + given[4] +
        ": the file cannot be opened (error 2)."});
    recorder.Clear();
    file("rf64.wav", Rf64Wave(FormatOf(mono16k), AudioOf(mono16k)));
    Press(window, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([] { return !IsConversionActive(); }));
    EXPECT_TRUE(recorder.Texts().empty()) << recorder.Texts()[0];
    for (size_t i = 0; i < 7; ++i) {
        std::string name = given[i].substr(given[i].rfind('\\') + 1);
        std::vector<int16_t> decoded;
        ASSERT_TRUE(SoxDecode(out.File(name), decoded)) << name;
        double power = 0;
        for (int16_t sample : decoded)
            power += double(sample) * sample;
        EXPECT_NEAR(double(decoded.size()), 8000.0, 2) << name;
        EXPECT_NEAR(std::sqrt(power / double(decoded.size())), 32768 * 0.5 / std::sqrt(2.0), 600) << name;
    }
    EXPECT_FALSE(FileExists(out.File("unknown tag.wav")));
}
