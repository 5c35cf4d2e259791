// The Select Destination Format command: the user picks a format in the
// format chooser and every selected row gets its own copy of it as its
// destination format. With the compatibility check on, the chooser offers
// only formats that every selected row's source can be converted to.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include "sources/compatibility_check.h"

// Called with the main window once a new destination format stands in the
// selected rows, to bring the format panels up to date: ShowFormatPanels,
// unless a test listens in.
extern void (*AfterDestinationFormatChosen)(HWND window);

// Shows the chooser titled "Destination Format" and stores the chosen format
// in every selected row of the main window's file list, replacing (and
// freeing) the format a row held before. Cancelling changes nothing. Where
// the platform's chooser cannot take the verify hook, the program's own
// chooser is shown instead.
void ChooseDestinationFormat(HWND window);

// The chooser's verify hook: answers FORMATCHOOSE_FORMAT_VERIFY through
// DWLP_MSGRESULT with TRUE when every selected row of the main window's list
// can be converted to the candidate format by the installed codecs, and
// leaves every other message to the chooser. A row whose source format the
// codecs must not see reaches no format.
UINT CALLBACK FormatChooseHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
