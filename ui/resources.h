// The process-wide resources of the main window: the tray icon, the three
// faces of the preview buttons and the bold label font. Loaded once before
// the main window is created and released once after it is gone.
#pragma once
#include <windows.h>
#include "win/handles.h"

struct ProgramResources {
    HICON Icon = nullptr;    // icon group 102; shared with the module, never released
    BitmapHandle PlayFace;   // bitmap 105
    BitmapHandle PauseFace;  // bitmap 106
    BitmapHandle StopFace;   // bitmap 107
    FontHandle BoldFont;     // absent when it could not be created
    UINT FacesDpi = 0;       // the DPI the faces were scaled for
};

extern ProgramResources Resources;

// Creates the bold font for the label texts: the dialog font of the main
// window (8-point "MS Sans Serif" at the system's DPI) in bold; false (and no
// font) when the platform cannot make it, so that the caller can warn and go
// on without.
bool CreateBoldFont();

// The given dialog font in bold; empty when it cannot be made.
FontHandle BoldFontLike(HFONT dialogFont);

// Loads the icon, then the play, stop and pause faces, from the program's
// own module, the faces scaled for the system's DPI; false when any of them
// is missing.
bool LoadProgramImages(HINSTANCE instance);

// Loads the three faces scaled from their 22 x 18 pixels at 96 DPI to the
// given DPI and puts them into the record; the faces before are returned in
// previous, released when it goes, once no button shows them. False, with
// the record unchanged, when any of them cannot be loaded.
bool LoadButtonFaces(HINSTANCE instance, UINT dpi, BitmapHandle (&previous)[3]);

// Releases the font and the bitmaps that exist and empties the record.
void FreeProgramResources();
