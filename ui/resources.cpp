// Loading and releasing the process-wide resources of the main window.
#include "ui/resources.h"
#include "res/resource.h"

ProgramResources Resources = {};

bool CreateBoldFont()
{
    // Height 8 in logical units matches the dialog font of the labels, so
    // only the weight changes when the controls take this font.
    Resources.BoldFont = CreateFontA(8, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH,
                                     "MS Sans Serif");
    return Resources.BoldFont != nullptr;
}

bool LoadProgramImages(HINSTANCE instance)
{
    // LoadIcon hands out the module's shared copy, which lives as long as the
    // module; that is why FreeProgramResources leaves it alone.
    Resources.Icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TONVELKA));
    Resources.PlayFace = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_PLAY));
    Resources.StopFace = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_STOP));
    Resources.PauseFace = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_PAUSE));
    return Resources.Icon != nullptr && Resources.PlayFace != nullptr && Resources.StopFace != nullptr &&
           Resources.PauseFace != nullptr;
}

bool LoadProgramResources(HINSTANCE instance)
{
    bool font = CreateBoldFont();
    bool images = LoadProgramImages(instance);
    return font && images;
}

void FreeProgramResources()
{
    if (Resources.BoldFont != nullptr)
        DeleteObject(Resources.BoldFont);
    if (Resources.PlayFace != nullptr)
        DeleteObject(Resources.PlayFace);
    if (Resources.StopFace != nullptr)
        DeleteObject(Resources.StopFace);
    if (Resources.PauseFace != nullptr)
        DeleteObject(Resources.PauseFace);
    Resources = {};
}
