// Entry point. The command line names files and folders to add.
#include <windows.h>
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) { return RunApplication(instance, arguments); }
