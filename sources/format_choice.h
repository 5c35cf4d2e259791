// The Select Destination Format command: the user picks a format in the
// format chooser and every selected row gets its own copy of it as its
// destination format. With the compatibility check on, the chooser offers
// only formats that every selected row's source can be converted to.
#pragma once
#include <windows.h>

// Shows the chooser titled "Destination Format" and stores the chosen format
// in every selected row of the window's file list, replacing (and freeing)
// the format a row held before; true once the new format stands in the rows.
// Cancelling changes nothing. Where the platform's chooser cannot take the
// verify hook, the program's own chooser is shown instead.
bool ChooseDestinationFormat(HWND window);
