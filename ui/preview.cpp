// Play, pause, resume and stop of the preview device, and the face of the
// play button that goes with them.
#include "ui/preview.h"
#include <commctrl.h>
#include "res/resource.h"
#include "ui/resources.h"
#include "ui/tooltips.h"
#include "win/list_rows.h"
#include "win/path_size.h"
#include "win/user_prompts.h"

PreviewRecord Preview = {};

namespace {

// The sample file while one exists; empty otherwise. Window's thread only.
char SampleFile[MAX_PATH] = "";

constexpr char OpenFailedText[] = "Unable to open waveform audio device.";
constexpr char PlayFailedText[] = "Unable to start playback.";
constexpr char PauseFailedText[] = "Unable to pause playback.";
constexpr char ResumeFailedText[] = "Unable to resume playback.";
constexpr char StopFailedText[] = "Unable to stop playback.";
constexpr char CloseFailedText[] = "Unable to close waveform audio device.";

// The device's own words are more useful than ours (they tell a missing file
// from an unplayable format), so ours only stand in when it has none.
void ReportDeviceError(HWND window, MCIERROR error, const char* fixedText)
{
    char errorText[128] = {};
    const char* text = fixedText;
    if (mciGetErrorStringA(error, errorText, sizeof(errorText)) && errorText[0] != '\0')
        text = errorText;
    ShowError(window, text);
}

// A command that waits for the device; reports its failure.
bool SendWaitingCommand(HWND window, UINT command, const char* fixedText)
{
    MCI_GENERIC_PARMS parameters = {};
    MCIERROR error = mciSendCommandA(Preview.PreviewDevice, command, MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&parameters));
    if (error != 0) {
        ReportDeviceError(window, error, fixedText);
        return false;
    }
    return true;
}

// Stop before close, so that the device has let go of the wave output when
// the close comes. The device stays recorded when either fails.
bool StopAndCloseDevice(HWND window)
{
    if (!SendWaitingCommand(window, MCI_STOP, StopFailedText))
        return false;
    if (!SendWaitingCommand(window, MCI_CLOSE, CloseFailedText))
        return false;
    return true;
}

// The tooltip goes with the face: it tells a sample in the destination
// format from the source itself, which sound alike on a quick listen.
void SetPlayButtonFace(HWND window, HBITMAP face)
{
    SendDlgItemMessageA(window, IDC_PLAY, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
    const char* tip = face != Resources.PauseFace.Get() ? IdlePlayTip
                      : SampleFile[0] != '\0'     ? "Playing in the destination format"
                                                  : "Playing the source file";
    ShowPlayToolTip(window, tip);
}

// The full path of the first selected row in list order; false when no row
// is selected.
bool ReadSelectedPath(HWND window, char (&path)[PathSize])
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    LRESULT row = NextListRow(list, -1, LVNI_SELECTED);
    if (row < 0)
        return false;
    ReadRowText(list, int(row), 0, path);
    return true;
}

// Stops and closes the device, forgets it, deletes the sample it may have
// played and gives the play button its play face; false, with the device
// kept, when the device refuses (its message shown).
bool CloseDevice(HWND window)
{
    if (!StopAndCloseDevice(window))
        return false;
    Preview.PreviewDevice = 0;
    Preview.PreviewState = PlayState::Idle;
    RemoveSampleFile();
    SetPlayButtonFace(window, Resources.PlayFace.Get());
    return true;
}

// Opens a file on the closed device and plays it; a failure is reported, and
// a device that opened but did not start playing stays open with no preview.
void PlayFile(HWND window, const char* path)
{
    MCI_WAVE_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "waveaudio";
    open.lpstrElementName = path;
    MCIERROR error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&open));
    if (error != 0) {
        ReportDeviceError(window, error, OpenFailedText);
        return;
    }
    Preview.PreviewDevice = open.wDeviceID;

    // Without MCI_FROM the playback starts where opening left the device, at
    // the beginning; MCI_NOTIFY has the device tell the window when it ends.
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    error = mciSendCommandA(Preview.PreviewDevice, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
    if (error != 0) {
        // The device stays open with no preview; the next Play or Stop
        // closes it.
        ReportDeviceError(window, error, PlayFailedText);
        return;
    }
    SetPlayButtonFace(window, Resources.PauseFace.Get());
    Preview.PreviewState = PlayState::Playing;
}

void StartPreview(HWND window)
{
    // A device that is open while not playing or paused is left over from a
    // play call that failed; it goes before a new file is opened.
    if (Preview.PreviewDevice != 0 && !CloseDevice(window))
        return;
    Preview.PreviewState = PlayState::Idle;

    char path[PathSize];
    if (!ReadSelectedPath(window, path))
        return;
    PlayFile(window, path);
}

}  // namespace

BOOL PlayPreview(HWND window)
{
    if (Preview.PreviewDevice != 0 && Preview.PreviewState == PlayState::Playing) {
        if (SendWaitingCommand(window, MCI_PAUSE, PauseFailedText))
            Preview.PreviewState = PlayState::Paused;
    } else if (Preview.PreviewDevice != 0 && Preview.PreviewState == PlayState::Paused) {
        if (SendWaitingCommand(window, MCI_RESUME, ResumeFailedText))
            Preview.PreviewState = PlayState::Playing;
    } else {
        StartPreview(window);
    }
    return TRUE;
}

BOOL StopPreview(HWND window)
{
    if (Preview.PreviewDevice != 0 && !CloseDevice(window))
        return TRUE;
    Preview.PreviewState = PlayState::Idle;
    return TRUE;
}

BOOL FinishPreview(HWND window, WPARAM flags)
{
    // Stopping, superseding or a failure of the playback also notify; only
    // a playback that reached its end closes the device here.
    if (Preview.PreviewDevice == 0 || (flags & MCI_NOTIFY_SUCCESSFUL) == 0)
        return FALSE;
    return CloseDevice(window) ? FALSE : TRUE;
}

void ClosePreview(HWND)
{
    // The window is going: nobody would see a message, and nothing can be
    // done about a device that refuses to close.
    if (Preview.PreviewDevice != 0) {
        MCI_GENERIC_PARMS parameters = {};
        mciSendCommandA(Preview.PreviewDevice, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parameters));
        mciSendCommandA(Preview.PreviewDevice, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parameters));
    }
    Preview.PreviewDevice = 0;
    Preview.PreviewState = PlayState::Idle;
    RemoveSampleFile();
}

const char* CreateSampleFile()
{
    RemoveSampleFile();
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(folder), folder);
    // GetTempFileName adds up to 14 characters to the folder.
    if (length == 0 || length > sizeof(folder) - 14 || GetTempFileNameA(folder, "tvk", 0, SampleFile) == 0) {
        SampleFile[0] = '\0';
        return nullptr;
    }
    return SampleFile;
}

void PlaySampleFile(HWND window)
{
    PlayFile(window, SampleFile);
    if (Preview.PreviewDevice == 0)
        RemoveSampleFile();
}

void RemoveSampleFile()
{
    if (SampleFile[0] != '\0')
        DeleteFileA(SampleFile);
    SampleFile[0] = '\0';
}
