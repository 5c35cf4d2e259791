// Loading and releasing the process-wide resources of the main window.
#include "ui/resources.h"
#include "res/resource.h"
#include "win/dpi.h"

ProgramResources Resources = {};

namespace {
constexpr int DialogFontPoints = 8;  // the main window template's font
constexpr int FaceWidth = 22, FaceHeight = 18;  // the faces' pixels at 96 DPI
}  // namespace

bool CreateBoldFont()
{
    // The height the dialog manager gives the template's font, so only the
    // weight changes when the labels take this font. A fixed pixel height
    // would stay small at every display scale above 100 %.
    Resources.BoldFont = CreateFontA(-MulDiv(DialogFontPoints, int(SystemDpi()), 72), 0, 0, 0, FW_BOLD, FALSE,
                                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "MS Sans Serif");
    return Resources.BoldFont != nullptr;
}

bool LoadButtonFaces(HINSTANCE instance, UINT dpi, HBITMAP (&previous)[3])
{
    // Nearest-pixel stretching keeps the faces' flat colours and edges.
    const int width = ScaleToDpi(FaceWidth, dpi), height = ScaleToDpi(FaceHeight, dpi);
    HBITMAP faces[3];
    const int ids[3] = {IDB_PLAY, IDB_STOP, IDB_PAUSE};
    for (int index = 0; index < 3; ++index) {
        faces[index] = static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(ids[index]), IMAGE_BITMAP, width,
                                                       height, LR_DEFAULTCOLOR));
        if (faces[index] == nullptr) {
            for (int loaded = 0; loaded < index; ++loaded)
                DeleteObject(faces[loaded]);
            return false;
        }
    }
    previous[0] = Resources.PlayFace, previous[1] = Resources.StopFace, previous[2] = Resources.PauseFace;
    Resources.PlayFace = faces[0], Resources.StopFace = faces[1], Resources.PauseFace = faces[2];
    Resources.FacesDpi = dpi;
    return true;
}

bool LoadProgramImages(HINSTANCE instance)
{
    // LoadIcon hands out the module's shared copy, which lives as long as the
    // module; that is why FreeProgramResources leaves it alone.
    Resources.Icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TONVELKA));
    HBITMAP none[3];
    LoadButtonFaces(instance, SystemDpi(), none);
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
