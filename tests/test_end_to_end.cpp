// The whole program as a user meets it: the real tonvelka.exe is started as a
// process of its own and driven only through its windows (buttons clicked,
// the open dialog filled in, the format chooser answered, the question box
// answered), while the results are judged by what a user could look at: the
// window texts, the files written (decoded by sox), the registry values and
// the exit code.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mmreg.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "res/resource.h"
#include "support/codec_catalogue.h"
#include "support/codec_formats.h"
#include "support/dialog_driver.h"
#include "support/test_files.h"
#include "support/unix_tools.h"

namespace {

// Hang guards only: every wait ends early as soon as its condition holds.
constexpr DWORD WindowTimeout = 30000;
constexpr DWORD BatchTimeout = 120000;
constexpr DWORD SendTimeout = 30000;

const char MainTitle[] = "Tonvelka 1.1";
const char StoreKey[] = "Software\\Tonvelka";

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
}

std::string ExeFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string ProgramPath()
{
    std::string path = ExeFolder();
    path += "\\tonvelka.exe";
    return path;
}

// The visible top-level windows of a process with this title (message boxes
// and dialogs included), newest first as the system lists them.
struct WindowSearch {
    DWORD processId;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (WindowText(window) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindProcessWindow(DWORD processId, const char* title)
{
    WindowSearch search = { processId, title, nullptr };
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForProcessWindow(DWORD processId, const char* title, DWORD timeoutMs = WindowTimeout)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProcessWindow(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

// Everything a process shows at top level, for the message of a failed wait:
// an unexpected error box then says what went wrong.
BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto* seen = reinterpret_cast<std::pair<DWORD, std::string>*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != seen->first || !IsWindowVisible(window))
        return TRUE;
    seen->second += "[";
    seen->second += WindowText(window);
    // A message box's text is its static control 0xFFFF.
    HWND text = GetDlgItem(window, 0xFFFF);
    if (text != nullptr) {
        seen->second += ": ";
        seen->second += WindowText(text);
    }
    seen->second += "] ";
    return TRUE;
}

std::string DescribeWindows(DWORD processId)
{
    std::pair<DWORD, std::string> seen(processId, std::string());
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&seen));
    return seen.second;
}

std::string ItemText(HWND window, int id) { return WindowText(GetDlgItem(window, id)); }

// A click as the mouse gives it: only an enabled button takes it. Posted, so
// a modal dialog the click opens does not hold up the test.
bool Click(HWND window, int id)
{
    HWND button = GetDlgItem(window, id);
    if (button == nullptr || !IsWindowEnabled(button) || !IsWindowVisible(button))
        return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool SetTextOf(HWND control, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               SendTimeout, &result) != 0;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, SendTimeout, &result) == 0)
        return -1;
    return LRESULT(result);
}

// The file name box of the open dialog: an edit control, either directly
// or inside the file name combo box.
struct EditSearch {
    HWND found;
};

BOOL CALLBACK MatchNameBox(HWND window, LPARAM data)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpiA(className, "Edit") != 0 || !IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<EditSearch*>(data)->found = window;
    return FALSE;
}

HWND FileNameBox(HWND dialog)
{
    // edt1 in the platform's template, cmb13 where the name box is a combo.
    HWND edit = GetDlgItem(dialog, 0x480);
    if (edit != nullptr && IsWindowVisible(edit))
        return edit;
    HWND combo = GetDlgItem(dialog, 0x47c);
    EditSearch search = { nullptr };
    if (combo != nullptr)
        EnumChildWindows(combo, MatchNameBox, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        EnumChildWindows(dialog, MatchNameBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The texts of a combo box's or list box's entries. Asked in Unicode: Wine
// hands the ANSI text of another process's box back in UTF-16 (only the
// first letter would be read).
std::vector<std::string> EntriesOf(HWND box, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    std::vector<std::string> entries;
    LRESULT count = SendWithTimeout(box, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(box, lengthMessage, WPARAM(i), 0, SMTO_NORMAL, SendTimeout, &length) == 0)
            break;
        std::vector<WCHAR> wide(size_t(length) + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(box, textMessage, WPARAM(i), reinterpret_cast<LPARAM>(wide.data()), SMTO_NORMAL,
                            SendTimeout, &copied);
        char text[512] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text, sizeof(text), nullptr, nullptr);
        entries.push_back(text);
    }
    return entries;
}

// The running program: killed at the end of a case that did not close it.
class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program()
    {
        if (process_.hProcess == nullptr)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 10000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool Start(const std::string& workingFolder)
    {
        std::string commandLine = "\"";
        commandLine += ProgramPath();
        commandLine += "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessA(ProgramPath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            workingFolder.c_str(), &startup, &process_))
            return false;
        window_ = WaitForProcessWindow(process_.dwProcessId, MainTitle);
        return window_ != nullptr;
    }

    HWND Window() const { return window_; }
    HANDLE Handle() const { return process_.hProcess; }
    DWORD Id() const { return process_.dwProcessId; }
    HWND List() const { return GetDlgItem(window_, IDC_FILE_LIST); }
    std::string Shown() const { return DescribeWindows(process_.dwProcessId); }

    int RowCount() const { return int(SendWithTimeout(List(), LVM_GETITEMCOUNT, 0, 0)); }

    // List view messages carry pointers, so their records are placed in the
    // program's own memory.
    std::string RowText(int row, int column) const
    {
        constexpr size_t TextChars = 512;
        void* remote = VirtualAllocEx(Handle(), nullptr, sizeof(LVITEMA) + TextChars, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE);
        if (remote == nullptr)
            return "<no memory>";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = static_cast<char*>(remote) + sizeof(LVITEMA);
        item.cchTextMax = int(TextChars);
        char text[TextChars] = "";
        if (WriteProcessMemory(Handle(), remote, &item, sizeof(item), nullptr) &&
            SendWithTimeout(List(), LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(remote)) >= 0)
            ReadProcessMemory(Handle(), item.pszText, text, TextChars, nullptr);
        text[TextChars - 1] = '\0';
        VirtualFreeEx(Handle(), remote, 0, MEM_RELEASE);
        return text;
    }

    // The row whose file name column ends with this name; -1 when none does.
    int FindRow(const std::string& name) const
    {
        for (int row = 0, count = RowCount(); row < count; ++row) {
            std::string text = RowText(row, 0);
            if (text.size() >= name.size() && lstrcmpiA(text.c_str() + text.size() - name.size(), name.c_str()) == 0)
                return row;
        }
        return -1;
    }

    // Selects exactly these rows, as ctrl-clicks would.
    bool SelectRows(const std::vector<int>& rows) const
    {
        void* remote = VirtualAllocEx(Handle(), nullptr, sizeof(LVITEMA), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (remote == nullptr)
            return false;
        bool ok = true;
        for (int row = 0, count = RowCount(); row < count && ok; ++row) {
            bool wanted = false;
            for (int chosen : rows)
                wanted = wanted || chosen == row;
            LVITEMA item = {};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = wanted ? LVIS_SELECTED : 0;
            ok = WriteProcessMemory(Handle(), remote, &item, sizeof(item), nullptr) &&
                 SendWithTimeout(List(), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(remote)) != -1;
        }
        VirtualFreeEx(Handle(), remote, 0, MEM_RELEASE);
        return ok;
    }

    bool Idle() const
    {
        return ItemText(window_, IDC_CONVERT) == "Convert" && IsWindowEnabled(GetDlgItem(window_, IDC_ADD_FILES));
    }

    // Closes the window as its close box does; the exit code, or -1 when the
    // program did not end.
    int Close()
    {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, WindowTimeout) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return int(code);
    }

private:
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// Add Files, then in the open dialog: the folder typed into the name box and
// Enter to go there, then the names in quotes and Open.
void AddFilesThroughDialog(Program& program, const std::string& folder, const std::vector<std::string>& names)
{
    int before = program.RowCount();
    ASSERT_TRUE(Click(program.Window(), IDC_ADD_FILES));
    HWND dialog = WaitForProcessWindow(program.Id(), "Source Files");
    ASSERT_NE(dialog, nullptr) << program.Shown();
    HWND nameBox = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (nameBox = FileNameBox(dialog)) != nullptr; }, WindowTimeout));

    ASSERT_TRUE(SetTextOf(nameBox, folder));
    // Sent: the dialog has moved to the folder when the click returns.
    ASSERT_NE(SendWithTimeout(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0), -1);
    ASSERT_TRUE(IsWindow(dialog)) << "the open dialog took the folder as a file";

    std::string typed;
    for (const std::string& name : names) {
        typed += "\"";
        typed += name;
        typed += "\" ";
    }
    nameBox = FileNameBox(dialog);
    ASSERT_NE(nameBox, nullptr);
    ASSERT_TRUE(SetTextOf(nameBox, typed));
    ASSERT_TRUE(Click(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, WindowTimeout)) << program.Shown();
    ASSERT_TRUE(WaitUntil([&] { return program.RowCount() == before + int(names.size()); }, WindowTimeout))
        << program.RowCount() << " rows; " << program.Shown();
}

// Select Destination Format, then in the program's chooser the tag by its
// name and the first format it offers for the selected rows, then OK.
void ChooseFormatThroughDialog(Program& program, DWORD tag, const Bytes& sourceFormat)
{
    HWND window = program.Window();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, IDC_SELECT_FORMAT)) != FALSE; },
                          WindowTimeout));
    ASSERT_TRUE(Click(window, IDC_SELECT_FORMAT));
    HWND chooser = WaitForProcessWindow(program.Id(), "Destination Format");
    ASSERT_NE(chooser, nullptr) << program.Shown();

    std::string tagName = TagName(tag);
    ASSERT_FALSE(tagName.empty());
    std::vector<std::string> tags = EntriesOf(GetDlgItem(chooser, IDC_CHOOSER_TAG), CB_GETCOUNT, CB_GETLBTEXTLEN,
                                              CB_GETLBTEXT);
    auto tagEntry = std::find(tags.begin(), tags.end(), tagName);
    ASSERT_NE(tagEntry, tags.end()) << tagName << " is not offered";
    HWND tagBox = GetDlgItem(chooser, IDC_CHOOSER_TAG);
    ASSERT_EQ(SendWithTimeout(tagBox, CB_SETCURSEL, WPARAM(tagEntry - tags.begin()), 0), tagEntry - tags.begin());
    SendWithTimeout(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_TAG, CBN_SELCHANGE), reinterpret_cast<LPARAM>(tagBox));

    // Only what the codecs reach from the selected rows' format is offered.
    HWND formatList = GetDlgItem(chooser, IDC_CHOOSER_FORMATS);
    std::vector<std::string> offered = EntriesOf(formatList, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
    EXPECT_EQ(offered, ReachableFormatNames(tag, { sourceFormat }));
    ASSERT_FALSE(offered.empty());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(chooser, IDOK))) << "OK before a format is picked";
    ASSERT_EQ(SendWithTimeout(formatList, LB_SETCURSEL, 0, 0), 0);
    SendWithTimeout(chooser, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_FORMATS, LBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(formatList));
    ASSERT_TRUE(Click(chooser, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, WindowTimeout)) << program.Shown();
}

// Waits until the selection line tells the expected count of files.
bool WaitForSelectionLine(const Program& program, int files)
{
    std::string ending = " ";
    ending += std::to_string(files);
    ending += " files selected.";
    return WaitUntil(
        [&] {
            std::string line = ItemText(program.Window(), IDC_SELECTION_INFO);
            return line.size() > ending.size() && line.compare(line.size() - ending.size(), ending.size(), ending) == 0;
        },
        WindowTimeout);
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

// The store as the program left it: the key is removed before a run, so a
// value there was written by the program.
void ResetStore(const std::string& destination)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, StoreKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, StoreKey, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "DestinationPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(destination.c_str()),
                             DWORD(destination.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::string text;
    DWORD number = 0;
};

StoredValue ReadStoredValue(const char* name)
{
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, StoreKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    BYTE data[512] = {};
    DWORD size = sizeof(data) - 1;
    if (RegQueryValueExA(key, name, nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
        value.present = true;
        if (value.type == REG_SZ)
            value.text = reinterpret_cast<const char*>(data);
        else if (value.type == REG_DWORD && size == sizeof(DWORD))
            memcpy(&value.number, data, sizeof(DWORD));
    }
    RegCloseKey(key);
    return value;
}

// Saves what the display shows of the window as a PNG next to the test.
bool SaveWindowShot(HWND window, const char* name)
{
    RECT rect = {};
    if (!GetWindowRect(window, &rect))
        return false;
    std::string folder = ExeFolder();
    folder += "\\screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder;
    path += "\\";
    path += name;
    DeleteFileA(path.c_str());
    ScratchFolder scratch;
    std::string whole = UnixPath(scratch.File("screen.png"));
    char geometry[64];
    snprintf(geometry, sizeof(geometry), "%ldx%ld+%ld+%ld", rect.right - rect.left, rect.bottom - rect.top,
             rect.left, rect.top);
    std::string command = "import -window root ";
    command += ShellQuote(whole);
    command += " && convert ";
    command += ShellQuote(whole);
    command += " -crop ";
    command += geometry;
    command += " +repage ";
    command += ShellQuote(UnixPath(path));
    return RunUnixCommand(command) == 0 && FileExists(path);
}

// The first chunk of this code in a RIFF WAVE file: where its size field is;
// 0 when there is none.
size_t ChunkSizeOffset(const Bytes& file, const char* code)
{
    size_t at = 12;
    while (at + 8 <= file.size()) {
        if (memcmp(file.data() + at, code, 4) == 0)
            return at + 4;
        at += 8 + ((size_t(ReadU32(file, at + 4)) + 1) & ~size_t(1));
    }
    return 0;
}

uint64_t HashFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    uint64_t hash = 14695981039346656037ull;
    std::vector<BYTE> buffer(1 << 20);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), DWORD(buffer.size()), &read, nullptr) && read > 0)
        for (DWORD i = 0; i < read; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
    CloseHandle(file);
    return hash;
}

// A long 8 kHz mono source written a second at a time: one second holds
// exactly 440 periods, so the repeated seconds form one steady tone.
void WriteLongSource(const std::string& path, uint32_t seconds)
{
    Bytes second = SampleBytes(SineSamples(8000, 1, 8000, 440));
    uint32_t dataSize = uint32_t(second.size()) * seconds;
    Bytes header;
    AppendFourCC(header, "RIFF");
    AppendU32(header, 4 + 8 + 16 + 8 + dataSize);
    AppendFourCC(header, "WAVE");
    AppendFourCC(header, "fmt ");
    AppendU32(header, 16);
    Bytes format = PcmFormat(1, 8000, 16);
    AppendRaw(header, format.data(), format.size());
    AppendFourCC(header, "data");
    AppendU32(header, dataSize);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, header.data(), DWORD(header.size()), &written, nullptr);
    for (uint32_t i = 0; i < seconds; ++i)
        WriteFile(file, second.data(), DWORD(second.size()), &written, nullptr);
    CloseHandle(file);
}

struct SourceFile {
    std::string name;
    uint16_t channels;
    uint32_t rate;
    double seconds;
    double frequency;
    DWORD tag;  // 0: the row stays unmarked
    std::vector<int16_t> samples;
    Bytes bytes;
};

}  // namespace

TEST(EndToEnd, FiveFilesFourConvertedThroughTheWindows)
{
    ScratchFolder input, output, working;
    std::vector<SourceFile> files = {
        { "alpha.wav", 1, 22050, 2.0, 440, WAVE_FORMAT_IMA_ADPCM, {}, {} },
        { "bravo.wav", 1, 22050, 1.0, 660, WAVE_FORMAT_IMA_ADPCM, {}, {} },
        { "charlie.wav", 1, 22050, 1.5, 330, WAVE_FORMAT_IMA_ADPCM, {}, {} },
        { "delta.wav", 1, 8000, 2.0, 440, WAVE_FORMAT_MULAW, {}, {} },
        { "echo.wav", 2, 22050, 1.0, 550, 0, {}, {} },
    };
    std::vector<std::string> names;
    for (SourceFile& file : files) {
        file.samples = SineSamples(file.rate, file.channels, uint32_t(file.rate * file.seconds), file.frequency);
        file.bytes = PcmWave(file.channels, file.rate, file.samples);
        WriteWholeFile(input.File(file.name), file.bytes);
        names.push_back(file.name);
    }
    ResetStore(output.Path());
    if (HasFatalFailure())
        return;

    Program program;
    ASSERT_TRUE(program.Start(working.Path())) << "no window titled " << MainTitle;
    HWND window = program.Window();

    // The folder from the store is the one the window names.
    std::string destinationLine = "Current destination directory is ";
    destinationLine += output.Path();
    EXPECT_EQ(ItemText(window, IDC_DEST_INFO), destinationLine);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_CONVERT))) << "Convert with nothing to convert";

    AddFilesThroughDialog(program, input.Path(), names);
    if (HasFatalFailure())
        return;
    for (SourceFile& file : files) {
        int row = program.FindRow(file.name);
        EXPECT_NE(row, -1) << file.name;
        if (row != -1) {
            EXPECT_EQ(program.RowText(row, 0), input.File(file.name));
        }
    }

    // Three rows get IMA ADPCM together, one gets u-law, one stays unmarked.
    std::vector<int> imaRows;
    int lawRow = -1;
    for (const SourceFile& file : files) {
        if (file.tag == WAVE_FORMAT_IMA_ADPCM)
            imaRows.push_back(program.FindRow(file.name));
        else if (file.tag == WAVE_FORMAT_MULAW)
            lawRow = program.FindRow(file.name);
    }
    ASSERT_TRUE(program.SelectRows(imaRows));
    ASSERT_TRUE(WaitForSelectionLine(program, 3)) << ItemText(window, IDC_SELECTION_INFO);
    ChooseFormatThroughDialog(program, WAVE_FORMAT_IMA_ADPCM, PcmFormat(1, 22050, 16));
    if (HasFatalFailure())
        return;
    // The program refreshes its panels once its chooser has returned, a moment
    // after the dialog is gone.
    EXPECT_TRUE(WaitUntil([&] { return ItemText(window, IDC_DST_FORMATTAG) == TagName(WAVE_FORMAT_IMA_ADPCM); },
                          WindowTimeout))
        << ItemText(window, IDC_DST_FORMATTAG);

    ASSERT_TRUE(program.SelectRows({ lawRow }));
    ASSERT_TRUE(WaitForSelectionLine(program, 1)) << ItemText(window, IDC_SELECTION_INFO);
    ChooseFormatThroughDialog(program, WAVE_FORMAT_MULAW, PcmFormat(1, 8000, 16));
    if (HasFatalFailure())
        return;
    // One row alone: the panel names its format after the tag.
    EXPECT_TRUE(WaitUntil([&] { return StartsWith(ItemText(window, IDC_DST_FORMATTAG), TagName(WAVE_FORMAT_MULAW)); },
                          WindowTimeout))
        << ItemText(window, IDC_DST_FORMATTAG);

    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, IDC_CONVERT)) != FALSE; }, WindowTimeout));
    EXPECT_TRUE(SaveWindowShot(window, "main-window-idle.png"));
    ASSERT_TRUE(Click(window, IDC_CONVERT));
    // "Convert" without its accelerator is what the window shows after a batch.
    ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }, BatchTimeout)) << program.Shown();
    // The idle look clears the texts after it gives the button back.
    EXPECT_TRUE(WaitUntil([&] { return ItemText(window, IDC_CONVERT_INFO).empty(); }, WindowTimeout))
        << ItemText(window, IDC_CONVERT_INFO);

    for (const SourceFile& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(ReadWholeFile(input.File(file.name)), file.bytes) << "a source changed";
        std::string destination = output.File(file.name);
        if (file.tag == 0) {
            EXPECT_FALSE(FileExists(destination)) << "an unmarked row was converted";
            continue;
        }
        ASSERT_TRUE(FileExists(destination));
        std::vector<int16_t> decoded;
        std::string info;
        ASSERT_TRUE(SoxDecode(destination, decoded, &info)) << "sox cannot read it";
        if (file.tag == WAVE_FORMAT_IMA_ADPCM) {
            EXPECT_NE(info.find("IMA ADPCM"), std::string::npos) << info;
            // The codec leaves out a last partial block: at most one block
            // (1017 samples at 22.05 kHz mono) short.
            EXPECT_LE(decoded.size(), file.samples.size());
            EXPECT_GE(decoded.size() + 1017, file.samples.size());
        } else {
            EXPECT_NE(info.find("u-law"), std::string::npos) << info;
            EXPECT_EQ(decoded.size(), file.samples.size());
        }
        EXPECT_GT(SignalToNoise(file.samples, decoded), 20.0);
    }

    EXPECT_EQ(program.Close(), 0) << program.Shown();

    StoredValue destination = ReadStoredValue("DestinationPath");
    EXPECT_TRUE(destination.present);
    EXPECT_EQ(destination.type, DWORD(REG_SZ));
    EXPECT_EQ(destination.text, output.Path());
    const struct {
        const char* name;
        DWORD value;
    } numbers[] = { { "BufferSize", 16 },     { "PriorityClass", NORMAL_PRIORITY_CLASS },
                    { "Priority", 0 },        { "SelectionTimer", 50 },
                    { "CompatibilityCheck", 1 }, { "LowQuality", 0 } };
    for (const auto& number : numbers) {
        StoredValue stored = ReadStoredValue(number.name);
        EXPECT_TRUE(stored.present) << number.name;
        EXPECT_EQ(stored.type, DWORD(REG_DWORD)) << number.name;
        EXPECT_EQ(stored.number, number.value) << number.name;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, StoreKey);
}

TEST(EndToEnd, StopAndYesAbortsTheBatch)
{
    ScratchFolder input, output, working;
    // GSM 6.10 is the slowest codec (about 15 MB of source a second), so the
    // batch is still running when Stop is clicked.
    std::string source = input.File("long.wav");
    WriteLongSource(source, 8000);
    if (HasFatalFailure())
        return;
    uint64_t sourceHash = HashFile(source);
    ResetStore(output.Path());
    if (HasFatalFailure())
        return;

    Program program;
    ASSERT_TRUE(program.Start(working.Path())) << "no window titled " << MainTitle;
    HWND window = program.Window();
    RECT idle = {};
    GetWindowRect(window, &idle);

    AddFilesThroughDialog(program, input.Path(), { "long.wav" });
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(program.SelectRows({ 0 }));
    ASSERT_TRUE(WaitForSelectionLine(program, 1));
    ChooseFormatThroughDialog(program, WAVE_FORMAT_GSM610, PcmFormat(1, 8000, 16));
    if (HasFatalFailure())
        return;

    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, IDC_CONVERT)) != FALSE; }, WindowTimeout));
    ASSERT_TRUE(Click(window, IDC_CONVERT));
    // Running: the button offers Stop, the window has grown to show the
    // progress rows, and the bars have moved.
    ASSERT_TRUE(WaitUntil(
        [&] {
            RECT now = {};
            GetWindowRect(window, &now);
            return ItemText(window, IDC_CONVERT) == "Stop" && now.bottom - now.top > idle.bottom - idle.top &&
                   SendWithTimeout(GetDlgItem(window, IDC_TOTAL_PROGRESS), PBM_GETPOS, 0, 0) > 0 &&
                   !ItemText(window, IDC_ELAPSED_TIME).empty();
        },
        WindowTimeout))
        << ItemText(window, IDC_CONVERT) << "; " << program.Shown();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_ADD_FILES)));
    EXPECT_TRUE(SaveWindowShot(window, "main-window-converting.png"));

    ASSERT_EQ(ItemText(window, IDC_CONVERT), "Stop") << "the batch ended before it could be stopped";
    ASSERT_TRUE(Click(window, IDC_CONVERT));
    HWND question = WaitForProcessWindow(program.Id(), "Question");
    ASSERT_NE(question, nullptr) << program.Shown();
    EXPECT_TRUE(StartsWith(ItemText(question, 0xFFFF), "Do you want to abort the conversion process ?"))
        << ItemText(question, 0xFFFF);
    ASSERT_TRUE(Click(question, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }, BatchTimeout)) << program.Shown();
    RECT after = {};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.bottom - after.top, idle.bottom - idle.top) << "the window keeps its batch size";

    // The file cut short keeps the sizes it was created with.
    Bytes written = ReadWholeFile(output.File("long.wav"));
    ASSERT_GE(written.size(), 12u);
    EXPECT_EQ(memcmp(written.data(), "RIFF", 4), 0);
    EXPECT_EQ(ReadU32(written, 4), 1u);
    size_t dataSize = ChunkSizeOffset(written, "data");
    ASSERT_NE(dataSize, 0u) << "no data chunk";
    EXPECT_EQ(ReadU32(written, dataSize), 1u);
    EXPECT_EQ(HashFile(source), sourceHash) << "the source changed";

    EXPECT_EQ(program.Close(), 0) << program.Shown();
    RegDeleteTreeA(HKEY_CURRENT_USER, StoreKey);
}

// Closing during a batch, in each state a batch can be in: the program must
// end at once with exit code 0, leaving the store written, the file in
// progress with its placeholder sizes and the source as it was.
enum class CloseWhile { Running, Suspended, StopQuestionOpen, SessionEnds, SecondBatch };

class CloseDuringBatch : public testing::TestWithParam<CloseWhile> {};

TEST_P(CloseDuringBatch, EndsTheProcessAtOnce)
{
    const CloseWhile state = GetParam();
    ScratchFolder input, output, working;
    std::string source = input.File("long.wav");
    WriteLongSource(source, 4000);
    if (HasFatalFailure())
        return;
    uint64_t sourceHash = HashFile(source);
    ResetStore(output.Path());
    if (HasFatalFailure())
        return;

    Program program;
    ASSERT_TRUE(program.Start(working.Path()));
    HWND window = program.Window();
    AddFilesThroughDialog(program, input.Path(), { "long.wav" });
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(program.SelectRows({ 0 }));
    ASSERT_TRUE(WaitForSelectionLine(program, 1));
    ChooseFormatThroughDialog(program, WAVE_FORMAT_GSM610, PcmFormat(1, 8000, 16));
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, IDC_CONVERT)) != FALSE; }, WindowTimeout));

    auto buttonReads = [&](const char* text) {
        return WaitUntil([&] { return ItemText(window, IDC_CONVERT) == text; }, WindowTimeout);
    };
    auto answer = [&](const char* title, int button) {
        HWND box = WaitForProcessWindow(program.Id(), title);
        return box != nullptr && Click(box, button) && WaitUntil([&] { return !IsWindow(box); }, WindowTimeout);
    };
    auto startBatch = [&] { return Click(window, IDC_CONVERT) && buttonReads("Stop"); };

    ASSERT_TRUE(startBatch());
    if (state == CloseWhile::SecondBatch) {
        // Suspended, continued, then aborted: the next batch writes over
        // the file this one leaves.
        ASSERT_TRUE(Click(window, IDC_CONVERT) && answer("Question", IDNO) && buttonReads("Continue"));
        ASSERT_TRUE(Click(window, IDC_CONVERT) && buttonReads("Stop"));
        ASSERT_TRUE(Click(window, IDC_CONVERT) && answer("Question", IDYES));
        ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }, BatchTimeout)) << program.Shown();
        ASSERT_TRUE(startBatch());
        // A close answered No leaves the batch running.
        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(answer("Warning", IDNO));
        EXPECT_EQ(ItemText(window, IDC_CONVERT), "Stop");
    }
    if (state == CloseWhile::Suspended) {
        ASSERT_TRUE(Click(window, IDC_CONVERT) && answer("Question", IDNO) && buttonReads("Continue"));
    }
    if (state == CloseWhile::StopQuestionOpen) {
        ASSERT_TRUE(Click(window, IDC_CONVERT));
        ASSERT_NE(WaitForProcessWindow(program.Id(), "Question"), nullptr);
    }

    PostMessageA(window, state == CloseWhile::SessionEnds ? WM_QUERYENDSESSION : WM_CLOSE, 0, 0);
    HWND warning = WaitForProcessWindow(program.Id(), "Warning");
    ASSERT_NE(warning, nullptr) << program.Shown();
    EXPECT_EQ(ItemText(warning, 0xFFFF),
              "The conversion process is still running. Do you want to abort the conversion ?");
    DWORD start = GetTickCount();
    ASSERT_TRUE(Click(warning, IDYES));
    if (state == CloseWhile::SessionEnds) {
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(warning); }, WindowTimeout));
        start = GetTickCount();
        PostMessageA(window, WM_ENDSESSION, TRUE, 0);
    }
    ASSERT_EQ(WaitForSingleObject(program.Handle(), WindowTimeout), WAIT_OBJECT_0) << program.Shown();
    EXPECT_LE(GetTickCount() - start, 1000u) << "the process took this long to end";
    DWORD code = 99;
    GetExitCodeProcess(program.Handle(), &code);
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(ReadStoredValue("SelectionTimer").number, 50u) << "the settings were not written at exit";
    EXPECT_EQ(ReadStoredValue("DestinationPath").text, output.Path());
    Bytes written = ReadWholeFile(output.File("long.wav"));
    ASSERT_GE(written.size(), 12u);
    EXPECT_EQ(ReadU32(written, 4), 1u) << "the file in progress lost its placeholder size";
    size_t dataSize = ChunkSizeOffset(written, "data");
    ASSERT_NE(dataSize, 0u);
    EXPECT_EQ(ReadU32(written, dataSize), 1u);
    EXPECT_EQ(HashFile(source), sourceHash) << "the source changed";
    RegDeleteTreeA(HKEY_CURRENT_USER, StoreKey);
}

INSTANTIATE_TEST_SUITE_P(States, CloseDuringBatch,
                         testing::Values(CloseWhile::Running, CloseWhile::Suspended, CloseWhile::StopQuestionOpen,
                                         CloseWhile::SessionEnds, CloseWhile::SecondBatch));
