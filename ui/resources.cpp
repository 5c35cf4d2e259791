// Loading and releasing the process-wide resources of the main window.
#include "ui/resources.h"
#include "res/resource.h"
#include <utility>
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
    Resources.BoldFont.Attach(CreateFontA(-MulDiv(DialogFontPoints, int(SystemDpi()), 72), 0, 0, 0, FW_BOLD, FALSE,
                                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "MS Sans Serif"));
    return bool(Resources.BoldFont);
}

FontHandle BoldFontLike(HFONT dialogFont)
{
    LOGFONTA description = {};
    if (dialogFont == nullptr || GetObjectA(dialogFont, sizeof(description), &description) == 0)
        return {};
    description.lfWeight = FW_BOLD;
    return FontHandle(CreateFontIndirectA(&description));
}

bool LoadButtonFaces(HINSTANCE instance, UINT dpi, BitmapHandle (&previous)[3])
{
    // Nearest-pixel stretching keeps the faces' flat colours and edges.
    const int width = ScaleToDpi(FaceWidth, dpi), height = ScaleToDpi(FaceHeight, dpi);
    BitmapHandle faces[3];
    const int ids[3] = {IDB_PLAY, IDB_STOP, IDB_PAUSE};
    for (int index = 0; index < 3; ++index) {
        faces[index].Attach(static_cast<HBITMAP>(
            LoadImageA(instance, MAKEINTRESOURCEA(ids[index]), IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR)));
        if (!faces[index])
            return false;
    }
    previous[0] = std::move(Resources.PlayFace);
    previous[1] = std::move(Resources.StopFace);
    previous[2] = std::move(Resources.PauseFace);
    Resources.PlayFace = std::move(faces[0]);
    Resources.StopFace = std::move(faces[1]);
    Resources.PauseFace = std::move(faces[2]);
    Resources.FacesDpi = dpi;
    return true;
}

bool LoadProgramImages(HINSTANCE instance)
{
    // LoadIcon hands out the module's shared copy, which lives as long as the
    // module; that is why FreeProgramResources leaves it alone.
    Resources.Icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TONVELKA));
    BitmapHandle none[3];
    LoadButtonFaces(instance, SystemDpi(), none);
    return Resources.Icon != nullptr && Resources.PlayFace && Resources.StopFace && Resources.PauseFace;
}

void FreeProgramResources() { Resources = ProgramResources{}; }
