// The whole program as a user meets it: the real tonvelka.exe started as a
// process of its own and driven only through its windows (the open dialog
// filled in, the format chooser answered, the question boxes answered),
// judged by what a user could look at: window texts, the files written
// (decoded by sox), the registry values, the exit code and the time to end.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <functional>
#include "res/resource.h"
#include "sources/format_names.h"
#include "support/batch_window.h"

namespace {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result) ? LRESULT(result) : -1;
}
std::string Text(HWND window, int id = 0)
{
    char text[512] = "";
    GetWindowTextA(id != 0 ? GetDlgItem(window, id) : window, text, sizeof(text));
    return text;
}
// A click as the mouse gives it: only an enabled button takes it. Posted, so
// a modal dialog it opens does not hold up the test.
bool Click(HWND window, int id)
{
    HWND button = GetDlgItem(window, id);
    return button != nullptr && IsWindowEnabled(button) && PostMessageA(button, BM_CLICK, 0, 0);
}

const char* const kStore = "Software\\Tonvelka";

// The running program, started on a store holding only the destination folder:
// killed at the end of a case that did not close it, its store removed.
class Program {
public:
    ~Program()
    {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        RegDeleteTreeA(HKEY_CURRENT_USER, kStore);
    }
    bool Start(const std::string& folder, const std::string& destination, const std::string& arguments = "")
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kStore);
        RegSetKeyValueA(HKEY_CURRENT_USER, kStore, "DestinationPath", REG_SZ, destination.c_str(), DWORD(destination.size() + 1));
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string program = std::string(path, strrchr(path, '\\')) + "\\tonvelka.exe", line = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                              &process_) &&
               (window = WaitForWindow("Tonvelka 1.1")) != nullptr;
    }
    // A visible top-level window of the program with this title.
    HWND WaitForWindow(const char* title)
    {
        found_ = nullptr, title_ = title;
        WaitUntil([&] { return EnumWindows(Match, LPARAM(this)), found_ != nullptr; });
        return found_;
    }
    int Rows() const { return int(Send(GetDlgItem(window, IDC_FILE_LIST), LVM_GETITEMCOUNT)); }
    std::string RowText(int row)
    {
        struct Remote {
            LVITEMA item;
            char text[260];
        } local = {}, *remote = static_cast<Remote*>(
                          VirtualAllocEx(process_.hProcess, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
        local.item.pszText = remote->text, local.item.cchTextMax = sizeof(local.text);
        WriteProcessMemory(process_.hProcess, remote, &local, sizeof(local), nullptr);
        Send(GetDlgItem(window, IDC_FILE_LIST), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process_.hProcess, remote, &local, sizeof(local), nullptr);
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        return local.text;
    }
    // Rows by their place in the list, which is sorted by path. List view
    // messages carry pointers: their records go into the program's memory.
    void Select(const std::vector<int>& rows)
    {
        void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
        for (int row = 0, count = Rows(); row < count; ++row) {
            LVITEMA item = {};
            item.stateMask = LVIS_SELECTED;
            item.state = std::find(rows.begin(), rows.end(), row) != rows.end() ? LVIS_SELECTED : 0;
            WriteProcessMemory(process_.hProcess, remote, &item, sizeof(item), nullptr);
            Send(GetDlgItem(window, IDC_FILE_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote));
        }
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        std::string line = " " + std::to_string(rows.size()) + " files selected.";
        EXPECT_TRUE(WaitUntil([&] { return Text(window, IDC_SELECTION_INFO).ends_with(line); }));
    }
    bool Idle() const { return Text(window, IDC_CONVERT) == "Convert" && IsWindowEnabled(GetDlgItem(window, IDC_ADD_FILES)); }
    // Closes the window as its close box does; the exit code, or -1 when the program does not end.
    int Close() { return PostMessageA(window, WM_CLOSE, 0, 0), Wait(); }
    int Wait()
    {
        DWORD code = DWORD(-1);
        if (WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        return int(code);
    }
    HWND window = nullptr;

private:
    static BOOL CALLBACK Match(HWND window, LPARAM self)
    {
        auto* program = reinterpret_cast<Program*>(self);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        bool match = owner == program->process_.dwProcessId && IsWindowVisible(window) && Text(window) == program->title_;
        return match ? (program->found_ = window, FALSE) : TRUE;
    }
    PROCESS_INFORMATION process_ = {};
    HWND found_ = nullptr;
    std::string title_;
};

BOOL CALLBACK FindNameBox(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof(name));
    bool match = lstrcmpiA(name, "Edit") == 0 && IsWindowVisible(window);
    return match ? (*reinterpret_cast<HWND*>(found) = window, FALSE) : TRUE;
}

// Add Files; in the open dialog the folder typed into the name box and Enter,
// then the names in quotes and Open.
void AddFiles(Program& program, const std::string& folder, const std::vector<std::string>& names, int listed = 0)
{
    ASSERT_TRUE(Click(program.window, IDC_ADD_FILES));
    HWND dialog = program.WaitForWindow("Source Files");
    ASSERT_NE(dialog, nullptr);
    HWND name = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return EnumChildWindows(dialog, FindNameBox, LPARAM(&name)), name != nullptr; }));
    Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    ASSERT_NE(Send(GetDlgItem(dialog, IDOK), BM_CLICK), -1);
    std::string typed;
    for (const std::string& file : names)
        typed += "\"" + file + "\" ";
    Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    ASSERT_TRUE(Click(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return program.Rows() == listed + int(names.size()); })) << program.Rows();
}

// The rows selected, Select Destination Format; in the program's chooser the tag
// by its name and the first format it offers whose name holds wanted, then OK.
void ChooseFormat(Program& program, const std::vector<int>& rows, DWORD tag, const char* wanted)
{
    program.Select(rows);
    ASSERT_TRUE(WaitUntil([&] { return Click(program.window, IDC_SELECT_FORMAT); }));
    HWND chooser = program.WaitForWindow("Destination Format");
    ASSERT_NE(chooser, nullptr);
    char tagName[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
    ASSERT_TRUE(GetFormatTagName(tag, tagName));
    // Asked in Unicode: Wine hands another process's ANSI entries back in UTF-16.
    HWND tags = GetDlgItem(chooser, IDC_CHOOSER_TAG), formats = GetDlgItem(chooser, IDC_CHOOSER_FORMATS);
    auto entry = [](HWND box, UINT textMessage, LRESULT index) {
        WCHAR wide[256] = L"";
        DWORD_PTR ignored;
        SendMessageTimeoutW(box, textMessage, index, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL, 30000, &ignored);
        char text[256];
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        return std::string(text);
    };
    LRESULT at = 0, count = Send(tags, CB_GETCOUNT);
    while (at < count && entry(tags, CB_GETLBTEXT, at) != tagName)
        ++at;
    ASSERT_LT(at, count) << tagName << " is not offered";
    Send(tags, CB_SETCURSEL, at);
    Send(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_TAG, CBN_SELCHANGE), reinterpret_cast<LPARAM>(tags));
    LRESULT pick = 0, offered = Send(formats, LB_GETCOUNT);
    while (pick < offered && entry(formats, LB_GETTEXT, pick).find(wanted) == std::string::npos)
        ++pick;
    ASSERT_LT(pick, offered) << wanted << " is not offered";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(chooser, IDOK))) << "OK before a format is picked";
    Send(formats, LB_SETCURSEL, pick);
    Send(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_FORMATS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(formats));
    ASSERT_TRUE(Click(chooser, IDOK));
    // The panels follow a moment after the dialog is gone.
    EXPECT_TRUE(WaitUntil([&] { return Text(program.window, IDC_DST_FORMATTAG).starts_with(tagName); }))
        << Text(program.window, IDC_DST_FORMATTAG);
}

}  // namespace

// Names beyond any ANSI code page throughout: the source folder, a name of
// Latin-1, CJK, a symbol and a four-byte emoji (on the command line and in
// the open dialog), the destination folder and its stored name. Rows of 8,000
// to 22,050 Hz, of 24 bits at 48 kHz and of float, selected together, reach
// u-law 8 kHz mono through the chain.
TEST(EndToEnd, FilesChosenInTheRealDialogsConvertToWhatSoxDecodes)
{
    ScratchFolder input, output, working;
    const std::string from = input.File("Ступени"), to = output.File("Ausgabe ✓"), mixed = "Ärger Grüße 日本語 ♪🎵.wav";
    CreateDirectoryA(from.c_str(), nullptr), CreateDirectoryA(to.c_str(), nullptr);
    auto sine = [](uint16_t channels, uint32_t rate, uint32_t frames) {
        return PcmWave(channels, rate, SineSamples(rate, channels, frames, 440));
    };
    const struct {
        std::string name;
        Bytes wave;
        uint32_t rate, frames;
    } files[] = {{"alpha.wav", sine(1, 22050, 44100), 22050, 44100}, {mixed, sine(1, 22050, 22050), 22050, 22050},
                 {"delta.wav", sine(1, 8000, 16000), 8000, 16000},   {"echo.wav", sine(2, 22050, 22050), 22050, 22050},
                 {"golf.wav", sine(1, 11025, 11025), 11025, 11025},  {"hotel.wav", ToneWave(WaveFormat(1, 2, 48000, 24)), 48000, 48000},
                 {"india.wav", ToneWave(WaveFormat(3, 1, 44100, 32)), 44100, 44100}};
    std::vector<std::string> names;
    for (const auto& file : files)
        WriteWholeFile(from + "\\" + file.name, file.wave), names.push_back(file.name);
    Program program;
    ASSERT_TRUE(program.Start(working.Path(), to, "\"" + from + "\\" + mixed + "\""));
    ASSERT_TRUE(WaitUntil([&] { return program.Rows() == 1; }));
    EXPECT_EQ(program.RowText(0), from + "\\" + mixed);
    AddFiles(program, from, names);  // the mixed name once more, a row already
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(program.RowText(1), from + "\\" + mixed);
    ChooseFormat(program, {0}, WAVE_FORMAT_IMA_ADPCM, "22050 Hz; 4 bits; Mono");
    ChooseFormat(program, {1, 2, 4, 5, 6}, WAVE_FORMAT_MULAW, "8000 Hz; 8 bits; Mono");
    ASSERT_FALSE(HasFatalFailure());
    // Played: the pause face while it plays, the play face again at its end.
    program.Select({1});
    LRESULT playFace = Send(GetDlgItem(program.window, IDC_PLAY), BM_GETIMAGE, IMAGE_BITMAP);
    ASSERT_TRUE(Click(program.window, IDC_PLAY));
    EXPECT_TRUE(WaitUntil([&] { return Send(GetDlgItem(program.window, IDC_PLAY), BM_GETIMAGE, IMAGE_BITMAP) != playFace; }));
    EXPECT_TRUE(WaitUntil([&] { return Send(GetDlgItem(program.window, IDC_PLAY), BM_GETIMAGE, IMAGE_BITMAP) == playFace; }));
    EXPECT_EQ(FindWindowA(nullptr, "Error"), nullptr) << Text(FindWindowA(nullptr, "Error"), 0xFFFF);
    // Idle again with the last marked row's file there: the batch has ended.
    ASSERT_TRUE(WaitUntil([&] { return Click(program.window, IDC_CONVERT); }));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(to + "\\india.wav") && program.Idle(); }));
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        std::vector<int16_t> decoded;
        EXPECT_TRUE(ReadWholeFile(from + "\\" + file.name) == file.wave) << "a source changed";
        if (file.name == "echo.wav") {
            EXPECT_FALSE(FileExists(to + "\\" + file.name)) << "a row without a destination format was converted";
            continue;
        }
        std::string info;
        ASSERT_TRUE(SoxDecode(to + "\\" + file.name, decoded, &info));
        // IMA ADPCM fills its last block up with silence, 1017 samples at
        // most, which sox decodes; u-law has the samples that 8,000 Hz implies.
        const bool ima = file.name == "alpha.wav";
        EXPECT_NE(info.find(ima ? "IMA ADPCM" : "u-law"), std::string::npos) << info;
        EXPECT_NEAR(double(decoded.size()), ima ? file.frames + 508.5 : file.frames * 8000.0 / file.rate, ima ? 508.5 : 80);
        EXPECT_TRUE((!ima && file.rate != 8000) || SignalToNoise(SineSamples(file.rate, 1, file.frames, 440), decoded) > 20);
    }
    EXPECT_EQ(program.Close(), 0);
    EXPECT_EQ(StoredSettings(), "1:" + to + " 4:16 4:32 4:0 4:50 4:1 4:0 4:0 4:260 4:1 ");
}

// A folder handed over on the command line (as the shell's Send To does) with
// a few hundred files, a hundred names each at its top and in two sub-folders
// of one and two levels, then more chosen in the open dialog than 4,096
// characters of names hold: all listed in order, one of them refused with its
// message, all given a format in the chooser and converted, the folder's
// tree kept below the destination folder and the chosen files straight in it.
TEST(EndToEnd, HundredsOfFilesFromTheCommandLineAndTheOpenDialogConvertInOneBatch)
{
    ScratchFolder input, output, working, chosen;
    const std::string folder = input.File("voice prompts");
    const std::string trees[] = {"de\\", "en\\uk\\", ""};  // in the list's order
    for (const char* made : {"", "\\de", "\\en", "\\en\\uk"})
        CreateDirectoryA((folder + made).c_str(), nullptr);
    Bytes source = PcmWave(1, 8000, SineSamples(8000, 1, 400, 440));
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
        WriteWholeFile(folder + "\\" + trees[i / 100] + "prompt" + std::to_string(1000 + i % 100) + ".wav", source);
    WriteWholeFile(folder + "\\prompt1000a.wav", Bytes(64, 'x'));
    for (int i = 0; i < 120; ++i) {
        names.push_back("a chosen prompt with a long name " + std::to_string(1000 + i) + ".wav");
        WriteWholeFile(chosen.File(names.back()), source);
    }
    Program program;
    ASSERT_TRUE(program.Start(working.Path(), output.Path(), "\"" + folder + "\""));
    HWND refused = program.WaitForWindow("Error");
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(Text(refused, 0xFFFF), "Unable to read audio information from source file.\n" + folder +
                                         "\\prompt1000a.wav: the file cannot be read (error 11).");
    ASSERT_TRUE(Click(refused, IDOK));
    ASSERT_EQ(program.Rows(), 300);
    EXPECT_EQ(program.RowText(1), folder + "\\de\\prompt1001.wav");
    EXPECT_EQ(program.RowText(299), folder + "\\prompt1099.wav");

    AddFiles(program, chosen.Path(), names, 300);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(program.RowText(300), chosen.File(names[0]));
    std::vector<int> all(420);
    for (int i = 0; i < 420; ++i)
        all[i] = i;
    ChooseFormat(program, all, WAVE_FORMAT_MULAW, "8000 Hz; 8 bits; Mono");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitUntil([&] { return Click(program.window, IDC_CONVERT); }));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(output.File(names.back())) && program.Idle(); }));
    for (int i = 0; i < 420; ++i) {
        std::string name = i < 300 ? trees[i / 100] + "prompt" + std::to_string(1000 + i % 100) + ".wav" : names[i - 300];
        ASSERT_EQ(FinishedAudio(output.File(name)).size(), 400u) << name;
    }
    EXPECT_EQ(program.Close(), 0);
}

// Closing during a batch, in each state a batch can be in, ends the program at
// once with exit code 0: the store written, the file in progress keeping its
// placeholder sizes, the source as it was.
enum class CloseWhile { Running, Suspended, StopQuestionOpen, SessionEnds, SecondBatch };
class CloseDuringBatch : public testing::TestWithParam<CloseWhile> {};

TEST_P(CloseDuringBatch, EndsTheProcessAtOnce)
{
    ScratchFolder input, output, working;
    Bytes source = PcmWave(1, 8000, SineSamples(8000, 1, 8000 * 3000, 440));
    WriteWholeFile(input.File("long.wav"), source);
    Program program;
    ASSERT_TRUE(program.Start(working.Path(), output.Path()));
    HWND window = program.window;
    AddFiles(program, input.Path(), {"long.wav"});
    ChooseFormat(program, {0}, WAVE_FORMAT_GSM610, "8000 Hz");
    ASSERT_FALSE(HasFatalFailure());
    auto reads = [&](const char* text) { return WaitUntil([&] { return Text(window, IDC_CONVERT) == text; }); };
    auto answer = [&](const char* title, int button) {
        HWND box = program.WaitForWindow(title);
        return box != nullptr && Click(box, button) && WaitUntil([&] { return !IsWindow(box); });
    };
    ASSERT_TRUE(WaitUntil([&] { return Click(window, IDC_CONVERT); }) && reads("Stop"));
    const CloseWhile state = GetParam();
    if (state == CloseWhile::SecondBatch) {
        // Suspended, continued and aborted; the next batch writes over its file
        // and goes on after a close answered No.
        ASSERT_TRUE(Click(window, IDC_CONVERT) && answer("Question", IDNO) && reads("Continue"));
        ASSERT_TRUE(Click(window, IDC_CONVERT) && reads("Stop") && Click(window, IDC_CONVERT) && answer("Question", IDYES));
        ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }) && Click(window, IDC_CONVERT) && reads("Stop"));
        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(answer("Warning", IDNO));
        EXPECT_EQ(Text(window, IDC_CONVERT), "Stop");
    }
    if (state == CloseWhile::Suspended) {
        ASSERT_TRUE(Click(window, IDC_CONVERT) && answer("Question", IDNO) && reads("Continue"));
    }
    if (state == CloseWhile::StopQuestionOpen) {
        ASSERT_TRUE(Click(window, IDC_CONVERT) && program.WaitForWindow("Question") != nullptr);
    }
    PostMessageA(window, state == CloseWhile::SessionEnds ? WM_QUERYENDSESSION : WM_CLOSE, 0, 0);
    HWND warning = program.WaitForWindow("Warning");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(Text(warning, 0xFFFF), "The conversion process is still running. Do you want to abort the conversion ?");
    DWORD start = GetTickCount();
    ASSERT_TRUE(Click(warning, IDYES));
    if (state == CloseWhile::SessionEnds) {
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(warning); }));
        start = GetTickCount();
        PostMessageA(window, WM_ENDSESSION, TRUE, 0);
    }
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_LE(GetTickCount() - start, 1000u) << "the process took this long to end";
    EXPECT_EQ(StoredSettings(), "1:" + output.Path() + " 4:16 4:32 4:0 4:50 4:1 4:0 4:0 4:260 4:1 ") << "the settings were not written at exit";
    // Held before the file began, the worker never creates it.
    const bool held = state == CloseWhile::Suspended || state == CloseWhile::StopQuestionOpen;
    EXPECT_TRUE(HasPlaceholders(output.File("long.wav")) || (held && !FileExists(output.File("long.wav"))));
    EXPECT_TRUE(ReadWholeFile(input.File("long.wav")) == source) << "the source changed";
}
INSTANTIATE_TEST_SUITE_P(States, CloseDuringBatch,
                         testing::Values(CloseWhile::Running, CloseWhile::Suspended, CloseWhile::StopQuestionOpen,
                                         CloseWhile::SessionEnds, CloseWhile::SecondBatch));
