// Preview playback of a source file through the "waveaudio" device: the two
// buttons at the end of the selection line, the device's end notification
// and the closing of the device when the main window goes.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// The values of PreviewState. They count only while a device is open: with
// no device every value means no preview.
constexpr WORD PreviewIdle = 0;
constexpr WORD PreviewPlaying = 1;
constexpr WORD PreviewPaused = 2;

struct PreviewRecord {
    MCIDEVICEID PreviewDevice;  // the open "waveaudio" device; 0 when none is open
    WORD PreviewState;
};

// Written only by the functions below, on the main window's thread.
extern PreviewRecord Preview;

// The IDC_PLAY command: pauses a playing preview, resumes a paused one, or
// opens the file of the first selected row and plays it. Returns TRUE.
BOOL PlayPreview(HWND window);

// Opens a file on the closed device and plays it, as the Play command does
// with the selected row's file; a failure is reported, and a device that
// opened but did not start playing stays open with no preview.
void PlayPreviewFile(HWND window, const char* path);

// The IDC_STOP_PLAY command: stops and closes the device. Returns TRUE.
BOOL StopPreview(HWND window);

// MM_MCINOTIFY with its notification flags: after a successful end of the
// playback the device is closed. TRUE when an error was reported.
BOOL FinishPreview(HWND window, WPARAM flags);

// At the window's destruction: stops and closes an open device without
// reporting anything.
void ClosePreview(HWND window);
