// A console batch: the worker of the window's batch converts the rows while
// the main thread shows its progress on the console and turns Ctrl+C into
// the window's Abort. Every file converted is one line on standard output;
// a failure is told on standard error with the window's text.
#pragma once
#include <string>
#include "cmd/console_output.h"
#include "engine/batch/batch_job.h"

// The process's exit codes.
enum ExitCode : int { ExitConverted = 0, ExitFailed = 1, ExitRefused = 2, ExitStopped = 3 };

struct ConsoleBatch {
    BatchJob Job;
    std::string FormatLabel;  // "8,000 Hz U-Law", in each file's line
    int Priority = THREAD_PRIORITY_NORMAL;  // the worker's
    bool Quiet = false;
};

// Runs the batch to its end and gives the exit code.
int RunConsoleBatch(ConsoleBatch batch, ConsoleOutput& output);

// "8,000 Hz U-Law": the destination's rate with its thousands grouped, and
// its tag's name.
std::string FormatLabel(unsigned long samplesPerSecond, const std::string& tagName);

// "converted <source> -> <destination> (<label>, 25.0 %)": the destination's
// audio bytes as a percentage of the source's, cut to one decimal as the
// window cuts its figures.
std::string ConvertedLine(const std::string& source, const std::string& destination, const std::string& label,
                          uint64_t sourceBytes, uint64_t destinationBytes);
