// Preview playback as the user meets it in the main window: the face of the
// play button, the messages shown, and whether the "waveaudio" device is open
// and what it is doing. The device is the platform's real one.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <string>
#include <vector>
#include "res/resource.h"
#include "sources/source_list.h"
#include "support/test_files.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/resources.h"
#include "ui/user_prompts.h"

namespace {

struct ShownMessage {
    std::string text;
    std::string title;
    UINT style;
};

std::vector<ShownMessage> Shown;

int RecordMessage(HWND, const char* text, const char* title, UINT style)
{
    Shown.push_back({ text, title, style });
    return IDOK;
}

// Sample rate of the test files: low, so that a long file stays small.
constexpr uint32_t Rate = 8000;

void WriteSine(const std::string& path, double seconds)
{
    uint32_t frames = static_cast<uint32_t>(seconds * Rate);
    WriteWholeFile(path, PcmWave(1, Rate, SineSamples(Rate, 1, frames, 440.0)));
}

// The device's answer to a status query; false when it has none (for
// example because the device is no longer open).
bool DeviceStatus(MCIDEVICEID device, DWORD item, DWORD_PTR& value)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    if (mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&status)) != 0)
        return false;
    value = status.dwReturn;
    return true;
}

DWORD_PTR DeviceMode(MCIDEVICEID device)
{
    DWORD_PTR mode = 0;
    EXPECT_TRUE(DeviceStatus(device, MCI_STATUS_MODE, mode));
    return mode;
}

// Milliseconds, the device's time format after opening.
DWORD_PTR DevicePosition(MCIDEVICEID device)
{
    DWORD_PTR position = 0;
    EXPECT_TRUE(DeviceStatus(device, MCI_STATUS_POSITION, position));
    return position;
}

bool DeviceIsOpen(MCIDEVICEID device)
{
    DWORD_PTR mode = 0;
    return device != 0 && DeviceStatus(device, MCI_STATUS_MODE, mode);
}

// The file the device plays.
std::string DeviceFile(MCIDEVICEID device)
{
    char name[256] = {};
    MCI_INFO_PARMSA info = {};
    info.lpstrReturn = name;
    info.dwRetSize = sizeof(name);
    if (mciSendCommandA(device, MCI_INFO, MCI_INFO_FILE | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&info)) != 0)
        return "";
    return name;
}

// What the device says when it is asked to open this file, in the words the
// user is to see.
std::string OpenErrorText(const std::string& path)
{
    MCI_WAVE_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "waveaudio";
    open.lpstrElementName = path.c_str();
    MCIERROR error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&open));
    if (error == 0) {
        MCI_GENERIC_PARMS close = {};
        mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
        return "";
    }
    char text[128] = {};
    if (mciGetErrorStringA(error, text, sizeof(text)) && text[0] != '\0')
        return text;
    return "Unable to open waveform audio device.";
}

class PreviewPlayback : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(LoadProgramResources(GetModuleHandleA(nullptr)));
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    MainDialogProc, 0);
        if (dialog == nullptr)
            return;
        MainDialog = dialog;
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        if (Header_GetItemCount(ListView_GetHeader(list)) == 0) {
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = 300;
            column.pszText = const_cast<char*>("Filename");
            SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        }
    }

    static void TearDownTestSuite()
    {
        SetMessageBoxFunction(nullptr);
        MainDialog = nullptr;
        if (dialog != nullptr)
            DestroyWindow(dialog);
        dialog = nullptr;
        HandleMessages();
        FreeProgramResources();
    }

    // Every case starts with no preview, the play face, an empty list and
    // nothing shown, as after the program's start.
    void SetUp() override
    {
        ASSERT_NE(dialog, nullptr);
        ClosePreview(dialog);
        HandleMessages();
        SendDlgItemMessageA(dialog, IDC_PLAY, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(Resources.PlayFace));
        SendDlgItemMessageA(dialog, IDC_FILE_LIST, LVM_DELETEALLITEMS, 0, 0);
        Shown.clear();
        SetMessageBoxFunction(RecordMessage);
    }

    void TearDown() override
    {
        ClosePreview(dialog);
        HandleMessages();
    }

    // Handles what is pending, as the message loop would; dropping instead
    // would spin on the new window's WM_PAINT, which only painting removes.
    static void HandleMessages()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    // Adds a row in its place as the file list shows a source file, without
    // an entry (the preview reads the path alone); returns its index.
    static int AddRow(const std::string& path)
    {
        InsertSourceRow(dialog, 0, path.c_str(), "", nullptr);
        return FindRow(path);
    }

    static int FindRow(const std::string& path)
    {
        LVFINDINFOA find = {};
        find.flags = LVFI_STRING;
        find.psz = path.c_str();
        return static_cast<int>(SendDlgItemMessageA(dialog, IDC_FILE_LIST, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(&find)));
    }

    static void SelectRow(int row, bool selected = true)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = selected ? LVIS_SELECTED : 0;
        SendDlgItemMessageA(dialog, IDC_FILE_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    static void SelectOnly(const std::string& path)
    {
        SelectRow(-1, false);
        SelectRow(FindRow(path));
    }

    // The user clicks a button of the main window.
    static void Click(int id)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    static HBITMAP PlayButtonFace()
    {
        return reinterpret_cast<HBITMAP>(SendDlgItemMessageA(dialog, IDC_PLAY, BM_GETIMAGE, IMAGE_BITMAP, 0));
    }

    // Handles the window's messages until the preview device is closed,
    // which the end notification does; false when it stays open.
    static bool PumpUntilDeviceClosed()
    {
        DWORD start = GetTickCount();
        while (Preview.PreviewDevice != 0 && GetTickCount() - start < 20000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            HandleMessages();
        }
        return Preview.PreviewDevice == 0;
    }

    // Waits, with a generous limit, until the device has played at least
    // this far.
    static bool WaitForPosition(MCIDEVICEID device, DWORD_PTR milliseconds)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            DWORD_PTR position = 0;
            if (!DeviceStatus(device, MCI_STATUS_POSITION, position))
                return false;
            if (position >= milliseconds)
                return true;
            Sleep(10);
        }
        return false;
    }

    static HWND dialog;
    ScratchFolder folder;
};

HWND PreviewPlayback::dialog = nullptr;

TEST_F(PreviewPlayback, ResourcesHoldTheThreeFacesTheIconAndTheBoldFont)
{
    EXPECT_NE(Resources.Icon, nullptr);
    EXPECT_NE(Resources.BoldFont, nullptr);
    for (HBITMAP face : { Resources.PlayFace, Resources.PauseFace, Resources.StopFace }) {
        BITMAP bitmap = {};
        ASSERT_EQ(GetObjectA(face, sizeof(bitmap), &bitmap), int(sizeof(bitmap)));
        EXPECT_EQ(bitmap.bmWidth, 22);
        EXPECT_EQ(bitmap.bmHeight, 18);
    }
    EXPECT_NE(Resources.PlayFace, Resources.PauseFace);
    LOGFONTA font = {};
    ASSERT_EQ(GetObjectA(Resources.BoldFont, sizeof(font), &font), int(sizeof(font)));
    EXPECT_EQ(font.lfHeight, 8);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
}

TEST_F(PreviewPlayback, PlayWithNoSelectionDoesNothing)
{
    std::string path = folder.File("tone.wav");
    WriteSine(path, 2.0);
    AddRow(path);

    Click(IDC_PLAY);

    EXPECT_EQ(Preview.PreviewDevice, 0u);
    EXPECT_EQ(PlayButtonFace(), Resources.PlayFace);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(PreviewPlayback, StopWithNoPreviewDoesNothing)
{
    Click(IDC_STOP_PLAY);

    EXPECT_EQ(Preview.PreviewDevice, 0u);
    EXPECT_EQ(PlayButtonFace(), Resources.PlayFace);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(PreviewPlayback, PlayPlayPlayPlaysPausesAndResumes)
{
    std::string path = folder.File("long.wav");
    WriteSine(path, 60.0);
    SelectRow(AddRow(path));

    Click(IDC_PLAY);
    MCIDEVICEID device = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(device));
    EXPECT_EQ(DeviceMode(device), DWORD_PTR(MCI_MODE_PLAY));
    EXPECT_EQ(Preview.PreviewState, PreviewPlaying);
    EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);
    EXPECT_STRCASEEQ(DeviceFile(device).c_str(), path.c_str());
    ASSERT_TRUE(WaitForPosition(device, 200));

    Click(IDC_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, device);
    EXPECT_EQ(DeviceMode(device), DWORD_PTR(MCI_MODE_PAUSE));
    EXPECT_EQ(Preview.PreviewState, PreviewPaused);
    EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);
    DWORD_PTR paused = DevicePosition(device);
    EXPECT_GE(paused, DWORD_PTR(200));

    Click(IDC_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, device);
    EXPECT_EQ(DeviceMode(device), DWORD_PTR(MCI_MODE_PLAY));
    EXPECT_EQ(Preview.PreviewState, PreviewPlaying);
    EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);
    EXPECT_GE(DevicePosition(device), paused);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(PreviewPlayback, StopWhilePausedClosesTheDeviceAndPlayStartsAgainFromTheBeginning)
{
    std::string path = folder.File("long.wav");
    WriteSine(path, 60.0);
    SelectRow(AddRow(path));

    Click(IDC_PLAY);
    MCIDEVICEID device = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(device));
    ASSERT_TRUE(WaitForPosition(device, 1000));
    Click(IDC_PLAY);
    ASSERT_EQ(DeviceMode(device), DWORD_PTR(MCI_MODE_PAUSE));
    DWORD_PTR paused = DevicePosition(device);

    Click(IDC_STOP_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, 0u);
    EXPECT_FALSE(DeviceIsOpen(device));
    EXPECT_EQ(PlayButtonFace(), Resources.PlayFace);

    Click(IDC_PLAY);
    MCIDEVICEID again = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(again));
    EXPECT_LT(DevicePosition(again), paused);
    EXPECT_EQ(DeviceMode(again), DWORD_PTR(MCI_MODE_PLAY));
    EXPECT_EQ(Preview.PreviewState, PreviewPlaying);
    EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(PreviewPlayback, TheFirstSelectedRowInListOrderPlays)
{
    std::string first = folder.File("a.wav"), second = folder.File("b.wav");
    WriteSine(first, 60.0);
    WriteSine(second, 60.0);
    // Added in the other order: the list sorts its rows by path.
    AddRow(second);
    AddRow(first);
    ASSERT_EQ(FindRow(first), 0);
    SelectRow(FindRow(second));
    SelectRow(FindRow(first));

    Click(IDC_PLAY);

    ASSERT_TRUE(DeviceIsOpen(Preview.PreviewDevice));
    EXPECT_STRCASEEQ(DeviceFile(Preview.PreviewDevice).c_str(), first.c_str());
}

TEST_F(PreviewPlayback, AnotherSelectionWaitsForStopBeforeItPlays)
{
    std::string first = folder.File("a.wav"), second = folder.File("b.wav");
    WriteSine(first, 60.0);
    WriteSine(second, 60.0);
    AddRow(first);
    AddRow(second);
    SelectOnly(first);
    Click(IDC_PLAY);
    MCIDEVICEID device = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(device));

    SelectOnly(second);
    EXPECT_STRCASEEQ(DeviceFile(device).c_str(), first.c_str());
    Click(IDC_PLAY);
    EXPECT_EQ(Preview.PreviewDevice, device);
    EXPECT_EQ(DeviceMode(device), DWORD_PTR(MCI_MODE_PAUSE));
    EXPECT_STRCASEEQ(DeviceFile(device).c_str(), first.c_str());

    Click(IDC_STOP_PLAY);
    Click(IDC_PLAY);
    ASSERT_TRUE(DeviceIsOpen(Preview.PreviewDevice));
    EXPECT_EQ(DeviceMode(Preview.PreviewDevice), DWORD_PTR(MCI_MODE_PLAY));
    EXPECT_STRCASEEQ(DeviceFile(Preview.PreviewDevice).c_str(), second.c_str());
    EXPECT_TRUE(Shown.empty());
}

TEST_F(PreviewPlayback, AtTheEndOfTheFileTheDeviceClosesAndThePlayFaceReturns)
{
    std::string shortFile = folder.File("a.wav"), other = folder.File("b.wav");
    WriteSine(shortFile, 0.3);
    WriteSine(other, 60.0);
    AddRow(shortFile);
    AddRow(other);
    SelectOnly(shortFile);

    Click(IDC_PLAY);
    MCIDEVICEID device = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(device));
    EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);

    ASSERT_TRUE(PumpUntilDeviceClosed());
    EXPECT_FALSE(DeviceIsOpen(device));
    EXPECT_EQ(PlayButtonFace(), Resources.PlayFace);
    EXPECT_TRUE(Shown.empty());

    // The next Play starts the row selected then.
    SelectOnly(other);
    Click(IDC_PLAY);
    ASSERT_TRUE(DeviceIsOpen(Preview.PreviewDevice));
    EXPECT_EQ(DeviceMode(Preview.PreviewDevice), DWORD_PTR(MCI_MODE_PLAY));
    EXPECT_STRCASEEQ(DeviceFile(Preview.PreviewDevice).c_str(), other.c_str());
    EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);
}

TEST_F(PreviewPlayback, AnEndThatIsNoSuccessChangesNothing)
{
    std::string path = folder.File("long.wav");
    WriteSine(path, 60.0);
    SelectRow(AddRow(path));
    Click(IDC_PLAY);
    MCIDEVICEID device = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(device));

    for (WPARAM flags : { MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED, MCI_NOTIFY_FAILURE }) {
        SendMessageA(dialog, MM_MCINOTIFY, flags, static_cast<LPARAM>(device));
        EXPECT_EQ(Preview.PreviewDevice, device);
        EXPECT_EQ(DeviceMode(device), DWORD_PTR(MCI_MODE_PLAY));
        EXPECT_EQ(PlayButtonFace(), Resources.PauseFace);
    }
    EXPECT_TRUE(Shown.empty());
}

TEST_F(PreviewPlayback, AMissingFileShowsTheDevicesErrorAndLeavesNoDeviceOpen)
{
    std::string path = folder.File("missing.wav");
    std::string expected = OpenErrorText(path);
    ASSERT_FALSE(expected.empty());
    SelectRow(AddRow(path));

    Click(IDC_PLAY);

    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].text, expected);
    EXPECT_EQ(Shown[0].title, "Error");
    EXPECT_EQ(Shown[0].style, UINT(MB_ICONHAND));
    EXPECT_EQ(Preview.PreviewDevice, 0u);
    EXPECT_EQ(PlayButtonFace(), Resources.PlayFace);

    // Nothing is left over that a Stop would have to close.
    Click(IDC_STOP_PLAY);
    EXPECT_EQ(Shown.size(), 1u);
}

TEST_F(PreviewPlayback, ClosingWhileAFilePlaysStopsItWithoutAMessage)
{
    std::string path = folder.File("long.wav");
    WriteSine(path, 60.0);
    SelectRow(AddRow(path));
    Click(IDC_PLAY);
    MCIDEVICEID device = Preview.PreviewDevice;
    ASSERT_TRUE(DeviceIsOpen(device));

    ClosePreview(dialog);

    EXPECT_EQ(Preview.PreviewDevice, 0u);
    EXPECT_EQ(Preview.PreviewState, PreviewIdle);
    EXPECT_FALSE(DeviceIsOpen(device));
    EXPECT_TRUE(Shown.empty());
}

}  // namespace
