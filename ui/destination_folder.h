// The destination folder of the main window: the Destination command's
// folder browser and the line that names the folder.
#pragma once
#include <windows.h>

// Asks for a destination folder; true when a new one stands in the settings.
// A folder whose path does not fit the settings is refused with a message.
bool BrowseDestinationFolder(HWND window);

// The line that names the destination folder.
void ShowDestinationLine(HWND window);
