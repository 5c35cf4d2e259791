// A helper of test_cmd: sends Ctrl+C to the console of the process whose id
// it is given, as a user's key press would, from within that console and
// without taking it itself. Exit code 0 when the event went out.
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    FreeConsole();
    if (!AttachConsole(DWORD(strtoul(argv[1], nullptr, 10))))
        return 1;
    SetConsoleCtrlHandler(nullptr, TRUE);
    return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : 1;
}
