// What the console program prints: result lines on standard output, errors
// and the progress line on standard error, UTF-8 throughout. On a console
// the progress line is rewritten in place and taken away before any other
// line; in a pipe or a file there is none. Lines come from the worker's
// thread and from the main thread, so every write holds a lock.
#pragma once
#include <windows.h>
#include <mutex>
#include <string>

class ConsoleOutput {
public:
    ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // A line, or several separated by "\n", to standard output or error.
    void Line(const std::string& text);
    void Error(const std::string& text);
    // The progress line, on a console only; empty text takes it away.
    void Progress(const std::string& text);

private:
    struct Stream {
        HANDLE Handle;
        bool Console;
    };
    void Write(const Stream& stream, const std::string& text);
    void Lines(const Stream& stream, const std::string& text);

    std::mutex lock_;
    Stream out_, err_;
    size_t progressWidth_ = 0;  // characters of the progress line shown
};

// The console's code pages set to UTF-8 for the run and put back at its end;
// nothing without a console.
class Utf8CodePages {
public:
    Utf8CodePages();
    ~Utf8CodePages();
    Utf8CodePages(const Utf8CodePages&) = delete;
    Utf8CodePages& operator=(const Utf8CodePages&) = delete;

private:
    UINT input_, output_;
};
