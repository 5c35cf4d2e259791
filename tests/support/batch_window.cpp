// Batch test windows.
#include "support/batch_window.h"
#include <windows.h>
#include <commctrl.h>
#include "engine/wave_file.h"
#include "res/resource.h"
#include "sources/source_entry.h"
#include "sources/selection_summary.h"
#include "sources/source_list.h"
#include "ui/main_window.h"

HWND CreateBatchWindow()
{
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     MainDialogProc, 0);
    MainDialog = window;
    return window;
}

namespace {
HGLOBAL AddRow(HWND window, const std::string& text, const Bytes& sourceFormat, const Bytes& destinationFormat)
{
    HGLOBAL entry = CreateSourceEntry(sourceFormat.data(), DWORD(sourceFormat.size()));
    if (!destinationFormat.empty())
        SetDestinationHandle(entry, CreateFormatBlock(destinationFormat.data(), DWORD(destinationFormat.size())));
    InsertSourceRow(window, 0, text.c_str(), "0", entry);
    // As after the format choice: Convert is enabled once a row is marked.
    UpdateConvertButton(window);
    return entry;
}
}  // namespace

HGLOBAL AddBatchRow(HWND window, const std::string& path, const Bytes& destinationFormat)
{
    Bytes format(MaxFormatBytes);
    DWORD length = 0;
    if (!ReadSourceFormat(path.c_str(), format.data(), &length))
        return nullptr;
    format.resize(length);
    return AddRow(window, path, format, destinationFormat);
}

HGLOBAL AddRawRow(HWND window, const std::string& text, const Bytes& destinationFormat)
{
    return AddRow(window, text, PcmFormat(1, 8000, 16), destinationFormat);
}

void ClearBatchRows(HWND window)
{
    FreeAllSourceEntries(window);
    SendDlgItemMessageA(window, IDC_FILE_LIST, LVM_DELETEALLITEMS, 0, 0);
}

void ClickConvert(HWND window) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), 0); }

void PumpWaitingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        PumpWaitingMessages();
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= milliseconds; }, milliseconds + 1000);
}

std::string ControlText(HWND window, int id)
{
    char text[512] = "";
    GetDlgItemTextA(window, id, text, sizeof(text));
    return text;
}

uint64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

Bytes FinishedAudio(const std::string& path)
{
    Bytes file = ReadWholeFile(path);
    if (file.size() < 28)
        return {};
    size_t formatSize = ReadU32(file, 16);
    size_t dataHeader = 20 + ((formatSize + 1) & ~size_t(1));
    if (ReadU32(file, 4) != file.size() - 8 || file.size() < dataHeader + 8)
        return {};
    size_t dataSize = ReadU32(file, dataHeader + 4);
    if (dataHeader + 8 + dataSize > file.size())
        return {};
    return Bytes(file.begin() + long(dataHeader) + 8, file.begin() + long(dataHeader + 8 + dataSize));
}

bool HasPlaceholders(const std::string& path)
{
    Bytes file = ReadWholeFile(path);
    if (file.size() < 28 || ReadU32(file, 4) != PlaceholderChunkSize)
        return false;
    size_t formatSize = ReadU32(file, 16);
    size_t dataHeader = 20 + ((formatSize + 1) & ~size_t(1));
    return file.size() >= dataHeader + 8 && ReadU32(file, dataHeader + 4) == PlaceholderChunkSize;
}

PROCESS_MEMORY_COUNTERS ProcessMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}
