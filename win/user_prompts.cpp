// The seams around calls that block on a person.
#include "win/user_prompts.h"

namespace {
int RealMessageBox(HWND owner, const char* text, const char* title, UINT style)
{
    return MessageBoxA(owner, text, title, style);
}
BOOL RealOpenFileName(OPENFILENAMEA* dialog) { return GetOpenFileNameA(dialog); }
PIDLIST_ABSOLUTE RealBrowseForFolder(BROWSEINFOA* browse) { return SHBrowseForFolderA(browse); }
MMRESULT RealFormatChoose(ACMFORMATCHOOSEA* chooser) { return acmFormatChooseA(chooser); }
BOOL RealHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data)
{
    return WinHelpA(owner, helpFile, command, data);
}
int RealPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

MessageBoxFunction messageBoxFunction = RealMessageBox;
OpenFileNameFunction openFileNameFunction = RealOpenFileName;
BrowseForFolderFunction browseForFolderFunction = RealBrowseForFolder;
FormatChooseFunction formatChooseFunction = RealFormatChoose;
HelpFunction helpFunction = RealHelp;
PopupMenuFunction popupMenuFunction = RealPopupMenu;
}  // namespace

int ShowMessage(HWND owner, const char* text, const char* title, UINT style)
{
    return messageBoxFunction(owner, text, title, style);
}
void SetMessageBoxFunction(MessageBoxFunction function)
{
    messageBoxFunction = function != nullptr ? function : RealMessageBox;
}
void ShowError(HWND owner, const char* text) { ShowMessage(owner, text, "Error", MB_OK | MB_ICONHAND); }

BOOL ShowOpenDialog(OPENFILENAMEA* dialog) { return openFileNameFunction(dialog); }
void SetOpenFileNameFunction(OpenFileNameFunction function)
{
    openFileNameFunction = function != nullptr ? function : RealOpenFileName;
}

PIDLIST_ABSOLUTE ShowFolderBrowser(BROWSEINFOA* browse) { return browseForFolderFunction(browse); }
void SetBrowseForFolderFunction(BrowseForFolderFunction function)
{
    browseForFolderFunction = function != nullptr ? function : RealBrowseForFolder;
}

MMRESULT ShowFormatChooser(ACMFORMATCHOOSEA* chooser) { return formatChooseFunction(chooser); }
void SetFormatChooseFunction(FormatChooseFunction function)
{
    formatChooseFunction = function != nullptr ? function : RealFormatChoose;
}

BOOL ShowHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data)
{
    return helpFunction(owner, helpFile, command, data);
}
void SetHelpFunction(HelpFunction function) { helpFunction = function != nullptr ? function : RealHelp; }

int ShowPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    return popupMenuFunction(menu, flags, x, y, owner);
}
void SetPopupMenuFunction(PopupMenuFunction function)
{
    popupMenuFunction = function != nullptr ? function : RealPopupMenu;
}
