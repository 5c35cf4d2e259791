// The seams around calls that block on a person.
#include "ui/user_prompts.h"

namespace {
int RealMessageBox(HWND owner, const char* text, const char* title, UINT style)
{
    return MessageBoxA(owner, text, title, style);
}

MessageBoxFunction messageBoxFunction = RealMessageBox;
}

int ShowMessage(HWND owner, const char* text, const char* title, UINT style)
{
    return messageBoxFunction(owner, text, title, style);
}

void SetMessageBoxFunction(MessageBoxFunction function)
{
    messageBoxFunction = function != nullptr ? function : RealMessageBox;
}
