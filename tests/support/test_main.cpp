// Entry point of every test program: the common controls the real dialogs
// use and the program's faces, icon and bold font, as its start-up loads them.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include "support/batch_window.h"

// A crash ends the test program at once with a line saying so, instead of
// waiting for a debugger that nobody attaches.
static LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    fprintf(stderr, "Unhandled exception 0x%08lx\n", exception->ExceptionRecord->ExceptionCode);
    fflush(stderr);
    ExitProcess(3);
}

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadProgramResources(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
