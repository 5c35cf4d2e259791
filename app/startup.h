// The program's frame: everything before the main window is shown, the
// message loop, and everything after the window is gone.
#pragma once
#include <windows.h>

// Up to and including the main window and the first priorities; false only
// when the main window cannot be created.
bool InitApplication(HINSTANCE instance);

// Removes the tray icon, releases the resources and saves the settings.
void ExitApplication();

// The whole run: start-up, the files and folders the command line's
// arguments name, the message loop, shutdown. Returns the process's exit
// code: 0 after a normal close, 1 when the program could not start.
int RunApplication(HINSTANCE instance, const char* arguments);
