#include "support/batch_window.h"
#include <commctrl.h>
#include <shlobj.h>
#include <mutex>
#include "engine/wave/wave_file.h"
#include "res/resource.h"
#include "sources/format_description.h"
#include "sources/selection_summary.h"
#include "sources/source_entry.h"
#include "sources/source_list.h"
#include "ui/main_window.h"
#include "ui/resources.h"
#include "win/list_rows.h"
#include "win/path_size.h"
#include "win/user_prompts.h"

bool LoadProgramResources(HINSTANCE instance)
{
    bool font = CreateBoldFont();
    return LoadProgramImages(instance) && font;
}

bool InsertSourceRow(HWND window, const char* path, const char* sizeText, HGLOBAL entry)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    int low = 0, high = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    char text[PathSize];
    while (low < high) {
        int middle = low + (high - low) / 2;
        ReadRowText(list, middle, 0, text);
        if (lstrcmpiA(text, path) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    int row = InsertListRow(list, low, path, reinterpret_cast<LPARAM>(entry));
    BYTE format[MaxFormatBytes];
    DWORD length = 0;
    char description[DescriptionChars];
    return row != -1 && SetRowText(list, row, 1, sizeText) && CopySourceFormat(entry, format, sizeof(format), &length) &&
           DescribeFormat(format, length, description) && SetRowText(list, row, 2, description);
}

HWND CreateBatchWindow()
{
    MainDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    return MainDialog;
}

HGLOBAL AddBatchRow(HWND window, const std::string& path, const Bytes& destinationFormat)
{
    Bytes format(MaxFormatBytes);
    DWORD length = 0;
    if (!ReadSourceFormat(path.c_str(), format.data(), &length))
        return nullptr;
    HGLOBAL entry = CreateSourceEntry(format.data(), length);
    if (!destinationFormat.empty())
        SetDestinationHandle(entry, CreateFormatBlock(destinationFormat.data(), DWORD(destinationFormat.size())));
    InsertSourceRow(window, path.c_str(), "0", entry);
    UpdateConvertButton(window);
    return entry;
}

void ClearBatchRows(HWND window)
{
    FreeAllSourceEntries(window);
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_DELETEALLITEMS, 0, 0);
}

void Press(HWND window, int id) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void DropPaths(HWND window, const std::vector<std::string>& paths)
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

void SelectRows(HWND window, const std::vector<int>& rows)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows)
        SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

void PumpWaitingMessages()
{
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
        if (message.message != WM_QUIT)
            TranslateMessage(&message), DispatchMessageA(&message);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); PumpWaitingMessages(), !done();) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= milliseconds; });
}

std::string ControlText(HWND window, int id)
{
    char text[512] = "";
    GetDlgItemTextA(window, id, text, sizeof(text));
    return text;
}

std::vector<std::string> RowTexts(HWND window, int columns)
{
    std::vector<std::string> rows;
    for (int row = 0, count = ListView_GetItemCount(GetDlgItem(window, IDC_FILE_LIST)); row < count; ++row) {
        std::string line;
        for (int column = 0; column < columns; ++column) {
            char text[300] = "";
            ListView_GetItemText(GetDlgItem(window, IDC_FILE_LIST), row, column, text, sizeof(text));
            line += (column ? " | " : "") + std::string(text);
        }
        rows.push_back(line);
    }
    return rows;
}

std::string StoredSettings()
{
    std::string stored;
    for (const char* name : {"DestinationPath", "BufferSize", "PriorityClass", "Priority", "SelectionTimer",
                             "CompatibilityCheck", "LowQuality", "LevelMode", "LevelTarget", "KeepMetadata"}) {
        char data[512] = "";
        DWORD type = REG_NONE, size = sizeof(data) - 1;
        RegGetValueA(HKEY_CURRENT_USER, "Software\\Tonvelka", name, RRF_RT_ANY, &type, data, &size);
        stored += std::to_string(type) + ":" + (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data) + " ";
    }
    return stored;
}

uint64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Where the "data" chunk's size field stands behind the "fmt " chunk at 12
// and the "fact" chunk that follows it in compressed files.
static bool CodeAt(const Bytes& file, size_t at, const char* code)
{
    return at + 4 <= file.size() && memcmp(&file[at], code, 4) == 0;
}
static size_t DataSizeAt(const Bytes& file)
{
    size_t at = 24 + ((size_t(ReadU32(file, 16)) + 1) & ~size_t(1));
    return at + (CodeAt(file, at - 4, "fact") ? 12 : 0);
}

Bytes FinishedAudio(const std::string& path)
{
    Bytes file = ReadWholeFile(path);
    size_t at = DataSizeAt(file), size = ReadU32(file, at);
    if (file.size() < at + 4 || ReadU32(file, 4) != file.size() - 8 || !CodeAt(file, at - 4, "data") ||
        at + 4 + ((size + 1) & ~size_t(1)) != file.size())
        return {};
    return Bytes(file.begin() + long(at + 4), file.begin() + long(at + 4 + size));
}

bool HasPlaceholders(const std::string& path)
{
    Bytes file = ReadWholeFile(path);
    // A "fact" chunk's sample count, too, is still its placeholder.
    size_t at = DataSizeAt(file);
    return file.size() >= at + 4 && ReadU32(file, 4) == 1 && ReadU32(file, at) == 1 &&
           (!CodeAt(file, at - 16, "fact") || ReadU32(file, at - 8) == 1);
}

namespace {
std::mutex recorderLock;
std::vector<ShownMessage> recorded;
std::function<int(const ShownMessage&)> recorderResponder;

int RecordMessage(HWND, const char* text, const char* title, UINT style)
{
    ShownMessage shown{text, title, style};
    std::unique_lock<std::mutex> guard(recorderLock);
    recorded.push_back(shown);
    auto responder = recorderResponder;
    guard.unlock();
    return responder(shown);
}
}  // namespace

MessageRecorder::MessageRecorder(int answer)
{
    Clear(), SetAnswer(answer);
    SetMessageBoxFunction(RecordMessage);
}
MessageRecorder::~MessageRecorder() { SetMessageBoxFunction(nullptr); }
std::vector<ShownMessage> MessageRecorder::Messages() const
{
    std::lock_guard<std::mutex> guard(recorderLock);
    return recorded;
}
std::vector<std::string> MessageRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const ShownMessage& shown : Messages())
        texts.push_back(shown.Text);
    return texts;
}
void MessageRecorder::Clear()
{
    std::lock_guard<std::mutex> guard(recorderLock);
    recorded.clear();
}
void MessageRecorder::SetAnswer(int answer) { SetResponder([answer](const ShownMessage&) { return answer; }); }
void MessageRecorder::SetResponder(std::function<int(const ShownMessage&)> responder)
{
    std::lock_guard<std::mutex> guard(recorderLock);
    recorderResponder = std::move(responder);
}
