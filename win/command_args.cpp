// Command lines split as the C runtime splits them, and paths made whole.
#include "win/command_args.h"
#include <windows.h>

std::vector<std::string> SplitCommandLine(const char* arguments)
{
    std::vector<std::string> split;
    if (arguments == nullptr)
        return split;
    const char* at = arguments;
    for (;;) {
        while (*at == ' ' || *at == '\t')
            ++at;
        if (*at == '\0')
            return split;
        std::string argument;
        bool quoted = false;
        while (*at != '\0' && (quoted || (*at != ' ' && *at != '\t'))) {
            size_t backslashes = 0;
            while (*at == '\\') {
                ++backslashes;
                ++at;
            }
            if (*at == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (quoted && at[1] == '"') {
                    // Two quotes inside quotes stand for one.
                    argument += '"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.append(backslashes, '\\');
                if (*at != '\0' && (quoted || (*at != ' ' && *at != '\t')))
                    argument += *at++;
            }
        }
        split.push_back(argument);
    }
}

// The list holds full paths, and a batch takes the destination's name from
// behind the last backslash; a name given relative to the folder the program
// was started in is made whole here. Sized by the answer, never cut.
std::string FullPathOf(const std::string& path)
{
    DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::string full(needed, '\0');
    DWORD written = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        return path;
    full.resize(written);
    return full;
}

