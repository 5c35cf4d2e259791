// Preview playback of a source file, or of a sample in its destination
// format, through the "waveaudio" device: the two buttons at the end of the
// selection line, the device's end notification, the closing of the device
// when the main window goes, and the sample's temporary file.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// What the open device does. It counts only while a device is open: with no
// device every value means no preview.
enum class PlayState : WORD { Idle = 0, Playing = 1, Paused = 2 };

struct PreviewRecord {
    MCIDEVICEID PreviewDevice;  // the open "waveaudio" device; 0 when none is open
    PlayState PreviewState;
};

// Written only by the functions below, on the main window's thread.
extern PreviewRecord Preview;

// The IDC_PLAY command: pauses a playing preview, resumes a paused one, or
// opens the file of the first selected row and plays it. Returns TRUE.
BOOL PlayPreview(HWND window);

// A new, empty file of a name nobody else has, in the user's temporary
// folder, for a sample: it never lands among the user's files or replaces
// one. The preview owns it from now on and deletes it whenever its device
// closes. nullptr when it cannot be made.
const char* CreateSampleFile();

// Plays the sample file on the closed device as Play plays a source; a
// failure is reported, and the file goes unless the device stays open.
void PlaySampleFile(HWND window);

// Deletes the sample file when there is one.
void RemoveSampleFile();

// The IDC_STOP_PLAY command: stops and closes the device. Returns TRUE.
BOOL StopPreview(HWND window);

// MM_MCINOTIFY with its notification flags: after a successful end of the
// playback the device is closed. TRUE when an error was reported.
BOOL FinishPreview(HWND window, WPARAM flags);

// At the window's destruction: stops and closes an open device without
// reporting anything.
void ClosePreview(HWND window);
