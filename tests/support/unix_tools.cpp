// Linux programs from Wine.
#include "support/unix_tools.h"
#include <windows.h>
#include "support/test_files.h"

std::string UnixPath(const std::string& windowsPath)
{
    using Converter = char* (*)(const WCHAR*);
    static auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char full[MAX_PATH];
    GetFullPathNameA(windowsPath.c_str(), MAX_PATH, full, nullptr);
    if (convert != nullptr) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, full, -1, wide, MAX_PATH);
        if (char* unixName = convert(wide)) {
            std::string result = unixName;
            HeapFree(GetProcessHeap(), 0, unixName);
            return result;
        }
    }
    std::string result = full;
    if (result.size() > 2 && (result[0] == 'Z' || result[0] == 'z') && result[1] == ':')
        result = result.substr(2);
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

int RunUnixCommand(const std::string& command, unsigned timeoutMs)
{
    ScratchFolder folder;
    std::string marker = folder.File("status");
    std::string script = folder.File("run.sh");
    std::string unixMarker = UnixPath(marker);
    std::string body = "(" + command + ") > " + ShellQuote(UnixPath(folder.File("output"))) + " 2>&1\n" +
                       "echo $? > " + ShellQuote(unixMarker + ".tmp") + " && mv " +
                       ShellQuote(unixMarker + ".tmp") + " " + ShellQuote(unixMarker) + "\n";
    WriteWholeFile(script, Bytes(body.begin(), body.end()));

    std::string commandLine = "/bin/sh " + UnixPath(script);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    for (unsigned waited = 0; waited < timeoutMs; waited += 10) {
        if (FileExists(marker)) {
            Bytes status = ReadWholeFile(marker);
            return atoi(std::string(status.begin(), status.end()).c_str());
        }
        Sleep(10);
    }
    return -1;
}

bool Sox(const std::string& arguments) { return RunUnixCommand("sox " + arguments) == 0; }

bool SoxDecode(const std::string& wavePath, std::vector<int16_t>& samples, std::string* info)
{
    ScratchFolder folder;
    std::string raw = folder.File("decoded.raw");
    if (!Sox(ShellQuote(UnixPath(wavePath)) + " -t raw -e signed-integer -b 16 -L " + ShellQuote(UnixPath(raw))))
        return false;
    Bytes bytes = ReadWholeFile(raw);
    samples = SamplesFromBytes(bytes, 0, bytes.size());
    if (info != nullptr) {
        ScratchFolder infoFolder;
        std::string text = infoFolder.File("info.txt");
        RunUnixCommand("soxi " + ShellQuote(UnixPath(wavePath)) + " > " + ShellQuote(UnixPath(text)));
        Bytes infoBytes = ReadWholeFile(text);
        *info = std::string(infoBytes.begin(), infoBytes.end());
    }
    return true;
}
