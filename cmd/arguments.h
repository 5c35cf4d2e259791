// What a console command asks for, read from its arguments. Plain values:
// nothing here touches a file or the console.
#pragma once
#include <windows.h>
#include <optional>
#include <string>
#include <vector>
#include "settings/settings.h"

// What becomes of a destination that exists before the batch.
enum class ExistingFiles { Fail, Skip, Overwrite };

enum class CommandAction { Usage, Formats, Convert };

struct ConsoleCommand {
    CommandAction Action = CommandAction::Usage;
    std::optional<std::string> FormatsTag;  // --formats TAG
    std::string Folder;                     // --to
    std::optional<std::string> Tag;         // --format
    std::optional<std::string> Details;     // --details
    std::optional<bool> LowQuality;         // --quality; the stored setting when not given
    std::optional<WORD> BufferSize;         // --block-size, KBytes; the stored setting when not given
    std::optional<DWORD> LevelMode;         // --level, as LevelMode; the stored setting when not given
    std::optional<DWORD> LevelTarget;       // --target, tenths of a dB; the mode's default when not given
    std::optional<bool> KeepMetadata;       // --keep-metadata, --no-metadata; the stored setting when not given
    ExistingFiles Existing = ExistingFiles::Fail;
    bool Quiet = false;
    std::vector<std::string> Paths;
};

// The command, or the message that tells what is wrong with the arguments.
struct ParsedCommand {
    ConsoleCommand Command;
    std::string Error;
};

ParsedCommand ParseArguments(const std::vector<std::string>& arguments);

// How the program is used, for --help and for a command it cannot read.
const char* UsageText();
