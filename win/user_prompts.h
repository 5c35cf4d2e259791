// Every call that waits for a person goes through here, so that tests can
// record what would be shown and answer for the user. Each seam defaults to
// the real call; passing nullptr to a setter restores the real one.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <commdlg.h>
#include <shlobj.h>

using MessageBoxFunction = int (*)(HWND owner, const char* text, const char* title, UINT style);
using OpenFileNameFunction = BOOL (*)(OPENFILENAMEA* dialog);
using BrowseForFolderFunction = PIDLIST_ABSOLUTE (*)(BROWSEINFOA* browse);
using FormatChooseFunction = MMRESULT (*)(ACMFORMATCHOOSEA* chooser);
using HelpFunction = BOOL (*)(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
using PopupMenuFunction = int (*)(HMENU menu, UINT flags, int x, int y, HWND owner);

// A message box; returns the button the user chose.
int ShowMessage(HWND owner, const char* text, const char* title, UINT style);
void SetMessageBoxFunction(MessageBoxFunction function);
// An error: the text under the title "Error", with the stop sign and OK.
void ShowError(HWND owner, const char* text);

// The open dialog (GetOpenFileNameA).
BOOL ShowOpenDialog(OPENFILENAMEA* dialog);
void SetOpenFileNameFunction(OpenFileNameFunction function);

// The folder browser (SHBrowseForFolderA).
PIDLIST_ABSOLUTE ShowFolderBrowser(BROWSEINFOA* browse);
void SetBrowseForFolderFunction(BrowseForFolderFunction function);

// The platform's format chooser (acmFormatChooseA).
MMRESULT ShowFormatChooser(ACMFORMATCHOOSEA* chooser);
void SetFormatChooseFunction(FormatChooseFunction function);

// Help (WinHelpA), from the program's help file.
constexpr char HelpFile[] = "TONVELKA.HLP";
BOOL ShowHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
void SetHelpFunction(HelpFunction function);

// A context menu (TrackPopupMenu); with TPM_RETURNCMD, the chosen item's
// identifier, 0 when the user chose none.
int ShowPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
void SetPopupMenuFunction(PopupMenuFunction function);
