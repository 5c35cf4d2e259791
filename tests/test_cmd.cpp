// The console program as a script meets it: tonvelkacmd.exe started as a
// process of its own, its standard output and error read through pipes, its
// exit code taken, the files it wrote decoded by sox.
#include <gtest/gtest.h>
#include <windows.h>
#include <thread>
#include "support/batch_window.h"

namespace {

struct CmdResult {
    int Exit = -1;
    std::string Out, Err;
    DWORD EndMs = 0;  // from the stop request (or the start) to the end
};

// Reads a pipe to its end on a thread of its own, so neither pipe fills.
std::thread Drain(HANDLE pipe, std::string& text)
{
    return std::thread([pipe, &text] {
        char buffer[4096];
        for (DWORD read = 0; ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0;)
            text.append(buffer, read);
        CloseHandle(pipe);
    });
}

// This test program's folder, where the programs it starts lie.
std::string ProgramFolder()
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return std::string(self, strrchr(self, '\\'));
}

// Ctrl+C, as a key press in the console of the process gives it, sent by a
// helper that attaches to that console. Wine 8's console sends Ctrl+C only
// (Ctrl+Break answers "not implemented"); the program takes both alike.
bool SendCtrlC(DWORD processId)
{
    std::string line(1, '"');
    line.append(ProgramFolder()).append("\\send_ctrl_c.exe\" ").append(std::to_string(processId));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION helper = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &helper))
        return false;
    DWORD code = 1;
    WaitForSingleObject(helper.hProcess, 10000);
    GetExitCodeProcess(helper.hProcess, &code);
    CloseHandle(helper.hProcess), CloseHandle(helper.hThread);
    return code == 0;
}

// Runs tonvelkacmd with the arguments in folder. With stop, the program runs
// in a console of its own, and stop() says when it has got far enough for a
// Ctrl+C there.
CmdResult RunCmd(const std::string& arguments, const std::string& folder,
                 const std::function<bool()>& stop = nullptr)
{
    std::string line(1, '"');
    line.append(ProgramFolder()).append("\\tonvelkacmd.exe\" ").append(arguments);
    SECURITY_ATTRIBUTES inherit = { sizeof(inherit), nullptr, TRUE };
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite, startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    CmdResult result;
    DWORD flags = stop != nullptr ? CREATE_NEW_CONSOLE : 0;
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, folder.c_str(),
                                  &startup, &process);
    CloseHandle(outWrite), CloseHandle(errWrite);
    std::thread out = Drain(outRead, result.Out), err = Drain(errRead, result.Err);
    DWORD from = GetTickCount();
    if (started && stop != nullptr) {
        for (DWORD start = GetTickCount(); !stop() && GetTickCount() - start < 30000;)
            Sleep(10);
        from = GetTickCount();
        EXPECT_TRUE(SendCtrlC(process.dwProcessId));
    }
    if (started && WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        result.EndMs = GetTickCount() - from;
        GetExitCodeProcess(process.hProcess, reinterpret_cast<DWORD*>(&result.Exit));
    } else if (started) {
        TerminateProcess(process.hProcess, 99);
    }
    out.join(), err.join();
    CloseHandle(process.hProcess), CloseHandle(process.hThread);
    return result;
}

const char* const kULaw = "--format u-law --details \"8000 Hz; 8 bits; Mono\" ";

std::vector<int16_t> Tone(uint32_t rate, uint16_t channels, double seconds)
{
    return SineSamples(rate, channels, uint32_t(rate * seconds), 440.0);
}

}  // namespace

TEST(Cmd, ListsFormatsAndRefusesWhatItCannotRead)
{
    ScratchFolder folder;
    CmdResult tags = RunCmd("--formats", folder.Path()), ulaw = RunCmd("--formats U-LAW", folder.Path());
    EXPECT_EQ(tags.Exit, 0);
    EXPECT_NE(tags.Out.find("\r\nU-Law\r\n"), std::string::npos) << tags.Out;
    EXPECT_EQ(ulaw.Exit, 0);
    EXPECT_EQ(ulaw.Out.rfind("8000 Hz; 8 bits; Mono\r\n", 0), 0u) << ulaw.Out;
    CmdResult unknown = RunCmd("--formats ulaw", folder.Path());
    EXPECT_EQ(unknown.Exit, 2);
    EXPECT_EQ(unknown.Err, "No installed codec offers the format tag \"ulaw\". The closest:\r\n  U-Law\r\n"
                           "  A-Law\r\n  PCM\r\n  MPeg\r\n  MPeg3\r\n");
    WriteWholeFile(folder.File("a.wav"), PcmWave(1, 8000, Tone(8000, 1, 0.5)));
    WriteWholeFile(folder.File("b.wav"), Bytes(100, 'x'));
    // Bad arguments, a format that is not offered, a file the window refuses,
    // destinations that would overwrite the sources: 2, and nothing written.
    for (auto [arguments, error] : std::vector<std::pair<std::string, std::string>>{
             { "", "Nothing to do." },
             { "--to out --existing never a.wav", "--existing is overwrite, skip or fail" },
             { "--to out --block-size 0 a.wav", "You have entered an invalid buffer size." },
             { "--to out --level speech --target 60.5 a.wav", "You have entered an invalid target level." },
             { "--to out --format u-law --details \"8000 Hz; 16 bits; Mono\" a.wav", "The closest:\r\n  8000 Hz; 8 bits; Mono\r\n" },
             { "--to out " + std::string(kULaw) + "a.wav b.wav", "Unable to read audio information from source file." },
             { "--to . " + std::string(kULaw) + "a.wav", "1 marked files would overwrite a source file or each other" },
             { "--to out " + std::string(kULaw) + "empty", "Nothing to convert" } }) {
        CreateDirectoryA(folder.File("empty").c_str(), nullptr);
        CmdResult refused = RunCmd(arguments, folder.Path());
        EXPECT_EQ(refused.Exit, 2) << arguments;
        EXPECT_NE(refused.Err.find(error), std::string::npos) << refused.Err;
        EXPECT_EQ(refused.Out, "");
        EXPECT_FALSE(FileExists(folder.File("out")));
    }
}

// A tree with a name outside every ANSI code page, converted into its place
// below the destination, read back by sox; existing destinations refused,
// skipped and replaced as asked.
TEST(Cmd, ConvertsAFolderTreeAndTellsEachFile)
{
    ScratchFolder folder;
    std::string source = folder.File("prompts"), japanese = source + "\\ja\\\xE6\x97\xA5\xE6\x9C\xAC.wav";
    CreateDirectoryA(source.c_str(), nullptr);
    for (const char* sub : { "\\en", "\\ja" })
        CreateDirectoryA((source + sub).c_str(), nullptr);
    WriteWholeFile(source + "\\en\\welcome.wav", PcmWave(2, 22050, Tone(22050, 2, 1.0)));
    WriteWholeFile(japanese, PcmWave(1, 8000, Tone(8000, 1, 0.5)));
    WriteWholeFile(source + "\\notes.txt", Bytes(10, 'x'));
    std::string out = folder.File("out");

    CmdResult run = RunCmd("--to out " + std::string(kULaw) + "prompts", folder.Path());
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "converted " + source + "\\en\\welcome.wav -> " + out + "\\en\\welcome.wav (8,000 Hz U-Law, 9.0 %)\r\n"
                       "converted " + japanese + " -> " + out + "\\ja\\\xE6\x97\xA5\xE6\x9C\xAC.wav (8,000 Hz U-Law, 50.0 %)\r\n");
    EXPECT_EQ(run.Err, "");  // no progress line in a pipe
    std::vector<int16_t> decoded;
    std::string info;
    ASSERT_TRUE(SoxDecode(out + "\\en\\welcome.wav", decoded, &info));
    EXPECT_EQ(decoded.size(), 8000u);
    EXPECT_NE(info.find("u-law"), std::string::npos) << info;
    ASSERT_TRUE(SoxDecode(out + "\\ja\\\xE6\x97\xA5\xE6\x9C\xAC.wav", decoded));
    EXPECT_EQ(decoded.size(), 4000u);

    Bytes before = ReadWholeFile(out + "\\en\\welcome.wav");
    WriteWholeFile(source + "\\en\\goodbye.wav", PcmWave(1, 8000, Tone(8000, 1, 0.25)));
    CmdResult refused = RunCmd("--to out " + std::string(kULaw) + "prompts", folder.Path());
    EXPECT_EQ(refused.Exit, 2);
    EXPECT_NE(refused.Err.find("2 destination files exist already"), std::string::npos) << refused.Err;
    EXPECT_FALSE(FileExists(out + "\\en\\goodbye.wav"));
    WriteWholeFile(out + "\\en\\welcome.wav", Bytes(5, 'x'));
    CmdResult skipped = RunCmd("--existing skip --to out " + std::string(kULaw) + "prompts", folder.Path());
    EXPECT_EQ(skipped.Exit, 0);
    EXPECT_NE(skipped.Out.find("skipped " + source + "\\en\\welcome.wav -> " + out + "\\en\\welcome.wav (exists)\r\n"),
              std::string::npos) << skipped.Out;
    EXPECT_NE(skipped.Out.find("converted " + source + "\\en\\goodbye.wav"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(out + "\\en\\welcome.wav"), Bytes(5, 'x'));
    CmdResult replaced = RunCmd("--existing overwrite --quiet --to out " + std::string(kULaw) + "prompts", folder.Path());
    EXPECT_EQ(replaced.Exit, 0);
    EXPECT_EQ(replaced.Out, "");
    EXPECT_EQ(ReadWholeFile(out + "\\en\\welcome.wav"), before);
}

// A file that fails stops the batch there: the files before it stay, the
// files after it are not touched, and the exit code is 1.
TEST(Cmd, AFailedFileEndsWithOne)
{
    ScratchFolder folder;
    for (const char* name : { "a.wav", "b.wav", "c.wav" })
        WriteWholeFile(folder.File(name), PcmWave(1, 8000, Tone(8000, 1, 0.25)));
    CreateDirectoryA(folder.File("out").c_str(), nullptr);
    CreateDirectoryA(folder.File("out\\b.wav").c_str(), nullptr);  // no file can be made there
    CmdResult run = RunCmd("--existing overwrite --to out " + std::string(kULaw) + "a.wav b.wav c.wav", folder.Path());
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Out.find("converted " + folder.File("a.wav")), std::string::npos);
    EXPECT_EQ(run.Err, "failed " + folder.File("b.wav") + " -> " + folder.File("out\\b.wav") +
                           " (left unfinished)\r\nUnable to convert audio file.\r\n" + folder.File("out\\b.wav") +
                           ": the file cannot be created (error 5).\r\n");
    EXPECT_FALSE(FileExists(folder.File("out\\c.wav")));
}

// Ctrl+C ends the file under way as the window's Abort does, within a
// second: its destination keeps its placeholders, and the exit code is 3.
TEST(Cmd, CtrlCStopsWithThree)
{
    ScratchFolder folder;
    // An hour and a half of 48 kHz stereo silence: a sparse file, quick to
    // make, that takes several seconds to convert.
    Bytes header = PcmWave(2, 48000, {});
    const uint32_t dataSize = 1u << 30, riff = uint32_t(header.size() - 8) + dataSize;
    memcpy(header.data() + 4, &riff, 4);
    memcpy(header.data() + header.size() - 4, &dataSize, 4);  // the data chunk's size
    WriteWholeFile(folder.File("long.wav"), header);
    HANDLE file = CreateFileA(folder.File("long.wav").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(header.size()) + dataSize;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN), SetEndOfFile(file), CloseHandle(file);
    WriteWholeFile(folder.File("next.wav"), PcmWave(1, 8000, Tone(8000, 1, 0.25)));

    std::string destination = folder.File("out\\long.wav");
    CmdResult run = RunCmd("--to out --format \"GSM 6.10\" --details \"8000 Hz; Mono\" long.wav next.wav",
                           folder.Path(), [&] { return FileSize(destination) > 4096; });
    EXPECT_EQ(run.Exit, 3) << run.Err;
    EXPECT_LT(run.EndMs, 1000u);
    EXPECT_EQ(run.Err, "aborted " + folder.File("long.wav") + " -> " + destination + " (left unfinished)\r\n");
    EXPECT_TRUE(HasPlaceholders(destination));
    EXPECT_FALSE(FileExists(folder.File("out\\next.wav")));
}
