// Entry point of every test program: registers the common controls the real
// dialogs use, then runs the tests.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include "ui/resources.h"

namespace {
// A crash ends the test program at once with a line saying so, instead of
// waiting for a debugger that nobody attaches.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    fprintf(stderr, "Unhandled exception 0x%08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
            exception->ExceptionRecord->ExceptionAddress);
    fflush(stderr);
    ExitProcess(3);
}
}  // namespace

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
    INITCOMMONCONTROLSEX controls = { sizeof(controls), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&controls);
    // The faces, icon and bold font, as the program's start-up loads them
    // before any main window exists.
    LoadProgramResources(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
