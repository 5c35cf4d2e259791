// Play, pause, resume and stop of the preview device, and the face of the
// play button that goes with them.
#include "ui/preview.h"
#include <commctrl.h>
#include "res/resource.h"
#include "ui/destination_preview.h"
#include "ui/resources.h"
#include "ui/tooltips.h"
#include "win/user_prompts.h"

PreviewRecord Preview = {};

namespace {

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
    const char* tip = face != Resources.PauseFace ? IdlePlayTip
                      : IsSamplePlaying()         ? "Playing in the destination format"
                                                  : "Playing the source file";
    ShowPlayToolTip(window, tip);
}

// The full path of the first selected row in list order; false when no row
// is selected.
bool ReadSelectedPath(HWND window, char (&path)[256])
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    LRESULT row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
    if (row < 0)
        return false;
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.iSubItem = 0;
    item.pszText = path;
    item.cchTextMax = 255;
    path[0] = '\0';
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    path[255] = '\0';
    return true;
}

void StartPreview(HWND window)
{
    // A device that is open while not playing or paused is left over from a
    // play call that failed; it goes before a new file is opened.
    if (Preview.PreviewDevice != 0) {
        if (!StopAndCloseDevice(window))
            return;
        Preview.PreviewDevice = 0;
        RemoveSampleFile();
    }
    Preview.PreviewState = PreviewIdle;

    char path[256];
    if (!ReadSelectedPath(window, path))
        return;
    PlayPreviewFile(window, path);
}

}  // namespace

void PlayPreviewFile(HWND window, const char* path)
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
    SetPlayButtonFace(window, Resources.PauseFace);
    Preview.PreviewState = PreviewPlaying;
}

BOOL PlayPreview(HWND window)
{
    if (Preview.PreviewDevice != 0 && Preview.PreviewState == PreviewPlaying) {
        if (SendWaitingCommand(window, MCI_PAUSE, PauseFailedText))
            Preview.PreviewState = PreviewPaused;
    } else if (Preview.PreviewDevice != 0 && Preview.PreviewState == PreviewPaused) {
        if (SendWaitingCommand(window, MCI_RESUME, ResumeFailedText))
            Preview.PreviewState = PreviewPlaying;
    } else {
        StartPreview(window);
    }
    return TRUE;
}

BOOL StopPreview(HWND window)
{
    if (Preview.PreviewDevice != 0) {
        if (!StopAndCloseDevice(window))
            return TRUE;
        Preview.PreviewDevice = 0;
        RemoveSampleFile();
        SetPlayButtonFace(window, Resources.PlayFace);
    }
    Preview.PreviewState = PreviewIdle;
    return TRUE;
}

BOOL FinishPreview(HWND window, WPARAM flags)
{
    // Stopping, superseding or a failure of the playback also notify; only
    // a playback that reached its end closes the device here.
    if (Preview.PreviewDevice == 0 || (flags & MCI_NOTIFY_SUCCESSFUL) == 0)
        return FALSE;
    if (!StopAndCloseDevice(window))
        return TRUE;
    Preview.PreviewDevice = 0;
    RemoveSampleFile();
    SetPlayButtonFace(window, Resources.PlayFace);
    Preview.PreviewState = PreviewIdle;
    return FALSE;
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
    Preview.PreviewState = PreviewIdle;
    RemoveSampleFile();
}
