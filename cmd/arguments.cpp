// Reading the console command's arguments.
#include "cmd/arguments.h"
#include <cstdlib>

namespace {

bool Same(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

// The block size as the settings dialog takes it: 1 to 65535 KBytes.
std::optional<WORD> ReadBlockSize(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    unsigned long kbytes = strtoul(text.c_str(), nullptr, 10);
    if (kbytes == 0 || kbytes > 0xFFFF)
        return std::nullopt;
    return WORD(kbytes);
}

// Takes the value of an option that has one; the error names what is wrong.
std::string TakeValue(ConsoleCommand& command, const std::string& option, const std::string& value)
{
    if (Same(option, "--to")) {
        command.Folder = value;
    } else if (Same(option, "--format")) {
        command.Tag = value;
    } else if (Same(option, "--details")) {
        command.Details = value;
    } else if (Same(option, "--quality")) {
        if (!Same(value, "low") && !Same(value, "high"))
            return "--quality is low or high, not \"" + value + "\".";
        command.LowQuality = Same(value, "low");
    } else if (Same(option, "--block-size")) {
        command.BufferSize = ReadBlockSize(value);
        if (!command.BufferSize)
            return "You have entered an invalid buffer size.\n--block-size takes 1 to 65535 KBytes, not \"" +
                   value + "\".";
    } else if (Same(option, "--level")) {
        if (!Same(value, "peak") && !Same(value, "speech") && !Same(value, "recorded"))
            return "--level is peak, speech or recorded, not \"" + value + "\".";
        command.LevelMode = Same(value, "peak") ? LevelPeak : Same(value, "speech") ? LevelSpeech : LevelAsRecorded;
    } else if (Same(option, "--target")) {
        command.LevelTarget = ReadLevelTarget(value.c_str());
        if (!command.LevelTarget)
            return "You have entered an invalid target level.\n--target takes 0.0 to 60.0 dB below full scale, not \"" +
                   value + "\".";
    } else {
        if (!Same(value, "fail") && !Same(value, "skip") && !Same(value, "overwrite"))
            return "--existing is overwrite, skip or fail, not \"" + value + "\".";
        command.Existing = Same(value, "skip")   ? ExistingFiles::Skip
                           : Same(value, "fail") ? ExistingFiles::Fail
                                                 : ExistingFiles::Overwrite;
    }
    return {};
}

bool TakesValue(const std::string& option)
{
    for (const char* name : { "--to", "--format", "--details", "--quality", "--block-size", "--existing", "--level",
                              "--target" })
        if (Same(option, name))
            return true;
    return false;
}

// What a conversion needs beyond its options.
std::string CheckConversion(const ConsoleCommand& command)
{
    if (command.Folder.empty())
        return "Name the destination folder with --to.";
    if (!command.Tag || !command.Details)
        return "Name the destination format with --format and --details (tonvelkacmd --formats lists them).";
    if (command.Paths.empty())
        return "Name the WAVE files or folders to convert.";
    return {};
}

}  // namespace

ParsedCommand ParseArguments(const std::vector<std::string>& arguments)
{
    ParsedCommand parsed;
    ConsoleCommand& command = parsed.Command;
    bool formats = false, optionsEnded = false;
    for (size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            command.Paths.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (Same(argument, "--help")) {
            return parsed;
        } else if (Same(argument, "--formats")) {
            formats = true;
            if (at + 1 < arguments.size() && arguments[at + 1].compare(0, 2, "--") != 0)
                command.FormatsTag = arguments[++at];
        } else if (Same(argument, "--quiet")) {
            command.Quiet = true;
        } else if (Same(argument, "--keep-metadata") || Same(argument, "--no-metadata")) {
            command.KeepMetadata = Same(argument, "--keep-metadata");
        } else if (!TakesValue(argument)) {
            parsed.Error = "Unknown option " + argument + ".";
        } else if (at + 1 == arguments.size()) {
            parsed.Error = argument + " needs a value.";
        } else {
            parsed.Error = TakeValue(command, argument, arguments[++at]);
        }
        if (!parsed.Error.empty())
            return parsed;
    }
    if (arguments.empty()) {
        parsed.Error = "Nothing to do.";
        return parsed;
    }
    command.Action = formats ? CommandAction::Formats : CommandAction::Convert;
    if (!formats)
        parsed.Error = CheckConversion(command);
    return parsed;
}

const char* UsageText()
{
    return "Converts WAVE files through the installed audio codecs, as the Tonvelka window does.\n"
           "\n"
           "tonvelkacmd --formats [TAG]\n"
           "    lists the format tags, or the formats of one tag (\"U-Law\", \"GSM 6.10\").\n"
           "tonvelkacmd --to FOLDER --format TAG --details TEXT [options] PATH...\n"
           "    converts every WAVE file named, and every .wav below every folder named,\n"
           "    into FOLDER; a folder's files keep their places below it.\n"
           "\n"
           "Options:\n"
           "  --quality low|high          low: the codecs' quick recipe\n"
           "  --block-size KB             source bytes per step (1 to 65535)\n"
           "  --existing fail|skip|overwrite\n"
           "                              a destination that exists refuses the batch (fail,\n"
           "                              the default), is left as it is (skip) or replaced\n"
           "  --level peak|speech|recorded every file at one peak, at one speech level\n"
           "                              (ITU-T P.56), or as recorded\n"
           "  --target DB                 the level in dB below full scale (0.0 to 60.0;\n"
           "                              1.0 for a peak, 26.0 for speech)\n"
           "  --keep-metadata, --no-metadata\n"
           "                              keep titles, markers and loop points, or not\n"
           "  --quiet                     no line per file and no progress line\n"
           "Quality, block size, level and metadata default to the window's settings.\n"
           "\n"
           "Exit codes: 0 converted, 1 a file failed, 2 bad arguments or a refusal before\n"
           "the batch, 3 stopped by Ctrl+C or Ctrl+Break.";
}
