// Start-up and shutdown.
#include "app/startup.h"
#include <commctrl.h>
#include "app/command_line.h"
#include "settings/settings_store.h"
#include "res/resource.h"
#include "ui/main_window.h"
#include "ui/resources.h"
#include "ui/tray_icon.h"
#include "win/user_prompts.h"

bool InitApplication(HINSTANCE instance)
{
    InitCommonControls();
    if (!CreateBoldFont())
        ShowMessage(nullptr, "Unable to create bold font for static text controls. Using normal font instead.",
                    "Warning", MB_OK | MB_ICONEXCLAMATION);
    LoadSettings();
    LoadProgramImages(instance);

    // The window's initialisation runs inside this call and already uses the
    // settings, the font, the faces and the icon.
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(), MainDialogProc, 0);
    if (window == nullptr) {
        ShowMessage(nullptr, "Unable to create the applications main window.", "Fatal Error", MB_OK | MB_ICONHAND);
        return false;
    }
    MainDialog = window;
    ApplyPriorities();
    return true;
}

void ExitApplication()
{
    RemoveTrayIcon();
    FreeProgramResources();
    SaveSettings();
}

int RunApplication(HINSTANCE instance, const char* arguments)
{
    if (!InitApplication(instance)) {
        ExitApplication();
        return 1;
    }
    // Added once the window stands, so a message about refused files has its
    // owner and the rows show as soon as the window paints.
    AddCommandLinePaths(MainDialog, arguments);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(MainDialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    ExitApplication();
    // The window is gone; nothing may reach it through the stale handle.
    MainDialog = nullptr;
    return int(message.wParam);
}
