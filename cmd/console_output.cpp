// Writing to the console, a pipe or a file.
#include "cmd/console_output.h"

namespace {

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != FALSE;
}

}  // namespace

ConsoleOutput::ConsoleOutput()
{
    out_.Handle = GetStdHandle(STD_OUTPUT_HANDLE);
    out_.Console = IsConsole(out_.Handle);
    err_.Handle = GetStdHandle(STD_ERROR_HANDLE);
    err_.Console = IsConsole(err_.Handle);
}

// A console takes the text as UTF-16, which shows every name whatever its
// code page; a pipe or a file gets the program's own bytes, which the UTF-8
// code page of its manifest makes UTF-8.
void ConsoleOutput::Write(const Stream& stream, const std::string& text)
{
    if (text.empty() || stream.Handle == nullptr || stream.Handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!stream.Console) {
        WriteFile(stream.Handle, text.data(), DWORD(text.size()), &written, nullptr);
        return;
    }
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring converted(size_t(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), converted.data(), wide);
    WriteConsoleW(stream.Handle, converted.data(), DWORD(converted.size()), &written, nullptr);
}

void ConsoleOutput::Lines(const Stream& stream, const std::string& text)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (progressWidth_ > 0) {
        std::string blank(progressWidth_ + 2, ' ');
        blank.front() = blank.back() = '\r';
        Write(err_, blank);
        progressWidth_ = 0;
    }
    std::string lines;
    for (char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    lines.append("\r\n");
    Write(stream, lines);
}

void ConsoleOutput::Line(const std::string& text) { Lines(out_, text); }

void ConsoleOutput::Error(const std::string& text) { Lines(err_, text); }

void ConsoleOutput::Progress(const std::string& text)
{
    if (!err_.Console)
        return;
    std::lock_guard<std::mutex> hold(lock_);
    // Spaces cover what a longer line before left behind.
    std::string line(1, '\r');
    line.append(text);
    if (text.size() < progressWidth_) {
        line.append(progressWidth_ - text.size(), ' ');
        line += '\r';
        line.append(text);
    }
    Write(err_, line);
    progressWidth_ = text.size();
}

Utf8CodePages::Utf8CodePages() : input_(GetConsoleCP()), output_(GetConsoleOutputCP())
{
    // 0: no console to set.
    if (input_ != 0)
        SetConsoleCP(CP_UTF8);
    if (output_ != 0)
        SetConsoleOutputCP(CP_UTF8);
}

Utf8CodePages::~Utf8CodePages()
{
    if (input_ != 0)
        SetConsoleCP(input_);
    if (output_ != 0)
        SetConsoleOutputCP(output_);
}
