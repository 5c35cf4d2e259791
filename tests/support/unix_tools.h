// Runs Linux programs (sox, the independent reader and writer of WAVE files)
// from a test running under Wine.
#pragma once
#include <string>
#include <vector>
#include <cstdint>

// The Linux path of a Windows path.
std::string UnixPath(const std::string& windowsPath);

// Runs a /bin/sh command line; returns its exit status, or -1 on a time-out.
// Wine starts Linux programs but cannot wait for them, so the shell leaves
// its status in a marker file that is polled.
int RunUnixCommand(const std::string& command, unsigned timeoutMs = 60000);

// Quotes an argument for /bin/sh.
std::string ShellQuote(const std::string& text);

// Decodes any WAVE file sox understands into interleaved 16-bit samples.
// Returns false when sox cannot read it.
bool SoxDecode(const std::string& wavePath, std::vector<int16_t>& samples, std::string* info = nullptr);

// Runs sox with the given arguments (paths already quoted as needed).
bool Sox(const std::string& arguments);
