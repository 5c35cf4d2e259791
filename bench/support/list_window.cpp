// The shared main window of the source list tests and its seams.
#include "support/list_window.h"
#include <commctrl.h>
#include <cstring>
#include <stdexcept>
#include "res/resource.h"
#include "sources/source_list.h"
#include "support/test_files.h"
#include "ui/main_window.h"
#include "win/user_prompts.h"

namespace {

std::vector<ListedMessage> shownMessages;
std::vector<OpenDialogRequest> openDialogRequests;
bool openDialogAnswers = false;
std::string openDialogResult;

int RecordMessage(HWND owner, const char* text, const char* title, UINT style)
{
    shownMessages.push_back({ owner, text, title, style });
    return IDOK;
}

std::string DoubleNulString(const char* strings)
{
    if (strings == nullptr)
        return {};
    const char* end = strings;
    while (end[0] != '\0' || end[1] != '\0')
        ++end;
    return std::string(strings, end + 2);
}

BOOL AnswerOpenFileName(OPENFILENAMEA* dialog)
{
    OpenDialogRequest request;
    request.structSize = dialog->lStructSize;
    request.owner = dialog->hwndOwner;
    request.filter = DoubleNulString(dialog->lpstrFilter);
    request.filterIndex = dialog->nFilterIndex;
    request.firstResultChar = dialog->lpstrFile != nullptr ? dialog->lpstrFile[0] : 'x';
    request.maxFile = dialog->nMaxFile;
    request.hasFileTitle = dialog->lpstrFileTitle != nullptr;
    request.hasCustomFilter = dialog->lpstrCustomFilter != nullptr;
    request.hasInitialDir = dialog->lpstrInitialDir != nullptr;
    request.title = dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : "";
    request.flags = dialog->Flags;
    request.defaultExtension = dialog->lpstrDefExt != nullptr ? dialog->lpstrDefExt : "";
    request.customData = dialog->lCustData;
    openDialogRequests.push_back(request);

    if (!openDialogAnswers)
        return FALSE;
    if (dialog->lpstrFile == nullptr || openDialogResult.size() > dialog->nMaxFile)
        return FALSE;
    memcpy(dialog->lpstrFile, openDialogResult.data(), openDialogResult.size());
    return TRUE;
}

std::string ItemText(HWND list, int row, int subItem)
{
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace

HWND SharedMainWindow()
{
    static HWND window = nullptr;
    if (window == nullptr) {
        // The window's own initialisation creates the list's columns.
        window = CreateDialogParamA(GetModuleHandle(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
        if (window == nullptr)
            throw std::runtime_error("cannot make the main window");
        SetMessageBoxFunction(RecordMessage);
        SetOpenFileNameFunction(AnswerOpenFileName);
    }
    return window;
}

void ResetMainWindow(HWND window)
{
    FreeAllSourceEntries(window);
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_DELETEALLITEMS, 0, 0);
    EnableWindow(GetDlgItem(window, IDC_REMOVE_FILE), FALSE);
    EnableWindow(GetDlgItem(window, IDC_SELECT_FORMAT), FALSE);
    EnableWindow(GetDlgItem(window, IDC_CONVERT), FALSE);
    SetDlgItemTextA(window, IDC_SELECTION_INFO, "");
    shownMessages.clear();
    openDialogRequests.clear();
    CancelOpenDialog();
}

const std::vector<ListedMessage>& ShownMessages() { return shownMessages; }
const std::vector<OpenDialogRequest>& OpenDialogRequests() { return openDialogRequests; }

void AnswerOpenDialog(const std::string& result)
{
    openDialogAnswers = true;
    openDialogResult = result;
}

void CancelOpenDialog()
{
    openDialogAnswers = false;
    openDialogResult.clear();
}

std::string SingleFileResult(const std::string& path) { return path + std::string(2, '\0'); }

std::string MultiFileResult(const std::string& folder, const std::vector<std::string>& names)
{
    std::string result = folder + '\0';
    for (const std::string& name : names)
        result += name + '\0';
    return result + '\0';
}

std::vector<ListRow> ListRows(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    std::vector<ListRow> rows;
    int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.push_back({ ItemText(list, row, 0), ItemText(list, row, 1), ItemText(list, row, 2) });
    return rows;
}

std::vector<std::string> Filenames(HWND window)
{
    std::vector<std::string> names;
    for (const ListRow& row : ListRows(window))
        names.push_back(row.filename);
    return names;
}

HGLOBAL RowEntry(HWND window, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<HGLOBAL>(item.lParam);
}

int FindRow(HWND window, const std::string& path)
{
    std::vector<std::string> names = Filenames(window);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == path)
            return int(i);
    return -1;
}

void WriteFileOfSize(const std::string& path, uint64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path);
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(size);
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!ok)
        throw std::runtime_error("cannot size " + path);
}

void WriteWaveOfSize(const std::string& path, uint32_t totalBytes)
{
    constexpr uint32_t headerBytes = 44;
    if (totalBytes < headerBytes)
        throw std::runtime_error("a WAVE file has at least 44 bytes");
    Bytes header;
    AppendFourCC(header, "RIFF");
    AppendU32(header, totalBytes - 8);
    AppendFourCC(header, "WAVE");
    Bytes format = PcmFormat(1, 8000, 16);
    AppendFourCC(header, "fmt ");
    AppendU32(header, uint32_t(format.size()));
    AppendRaw(header, format.data(), format.size());
    AppendFourCC(header, "data");
    AppendU32(header, totalBytes - headerBytes);

    WriteFileOfSize(path, totalBytes);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, header.data(), DWORD(header.size()), &written, nullptr) &&
              written == header.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!ok)
        throw std::runtime_error("cannot write " + path);
}
