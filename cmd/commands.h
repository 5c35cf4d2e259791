// The console program's two commands: listing the codecs' formats, and
// converting files into a folder. Each gives the process's exit code.
#pragma once
#include "cmd/arguments.h"
#include "cmd/console_output.h"

int RunFormatsCommand(const ConsoleCommand& command, ConsoleOutput& output);

// Reads the user's stored settings for the defaults and never writes them.
int RunConvertCommand(const ConsoleCommand& command, ConsoleOutput& output);
