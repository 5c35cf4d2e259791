// tonvelkacmd: the window's conversions for scripts, build servers and
// scheduled tasks. A console program: no window, no message box, and the
// user's stored settings only read.
#include <windows.h>
#include "cmd/arguments.h"
#include "cmd/commands.h"
#include "cmd/console_batch.h"
#include "cmd/console_output.h"
#include "cmd/stop_request.h"
#include "win/command_args.h"

int main()
{
    // The arguments as the program's own code page gives them (UTF-8 by its
    // manifest), so every name the window takes works here too; the first
    // is the program's name.
    std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    Utf8CodePages codePages;
    ConsoleOutput output;
    if (!InstallStopHandler()) {
        output.Error("Unable to watch for Ctrl+C.");
        return ExitFailed;
    }
    ParsedCommand parsed = ParseArguments(arguments);
    int exitCode = ExitRefused;
    if (!parsed.Error.empty()) {
        output.Error(parsed.Error + "\n\n" + UsageText());
    } else if (parsed.Command.Action == CommandAction::Usage) {
        output.Line(UsageText());
        exitCode = ExitConverted;
    } else if (parsed.Command.Action == CommandAction::Formats) {
        exitCode = RunFormatsCommand(parsed.Command, output);
    } else {
        exitCode = RunConvertCommand(parsed.Command, output);
    }
    BatchFinished();
    return exitCode;
}
