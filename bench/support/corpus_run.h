// Runs one corpus file through everything that reads a source: the two
// readers, the format description, the format panels of a real main window
// and the converter, each with formats of exact length placed against an
// inaccessible page. Collects what came out and every departure from a
// documented result, so that tests assert on them and the benchmark counts
// them.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "engine/convert/convert_file.h"
#include "support/test_files.h"
#include "support/wave_corpus.h"

// A copy of some bytes that ends exactly where an inaccessible page begins:
// reading or writing one byte past it faults at once.
class GuardedBytes {
public:
    GuardedBytes(const void* data, size_t length);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    BYTE* Data() const { return data_; }

private:
    BYTE* base_ = nullptr;
    BYTE* data_ = nullptr;
};

// Ends the process with a message when a step has not come back within its
// time, rather than letting the test program hang until CTest gives up.
class Watchdog {
public:
    explicit Watchdog(DWORD limitMs);
    ~Watchdog();
    void Arm(const std::string& what);
    void Disarm();

private:
    static DWORD WINAPI Watch(void* self);
    HANDLE thread_ = nullptr;
    HANDLE stop_ = nullptr;
    DWORD limit_;
};

struct ConversionTarget {
    const char* Name;      // also the destination's file name
    Bytes Format;          // destination format
    WORD BufferSize;       // KBytes
};

// Outcomes of one file.
struct CorpusOutcome {
    bool FormatRead = false;
    bool DataOpened = false;
    bool Described = false;
    std::vector<ConvertResult> Results;  // per target
    std::vector<std::string> Faults;
};

// The fixed surroundings: scratch folder, main window, targets.
class CorpusRunner {
public:
    CorpusRunner();
    ~CorpusRunner();
    CorpusOutcome Run(const CorpusFile& file);
    const std::vector<ConversionTarget>& Targets() const { return targets_; }

private:
    void CheckPanels(const CorpusFile& file, const Bytes& format, const char* description, CorpusOutcome& out);
    void Convert(const CorpusFile& file, const Bytes& format, const ExpectedReading& expected,
                 CorpusOutcome& out);

    ScratchFolder folder_;
    HWND window_ = nullptr;
    std::vector<ConversionTarget> targets_;
    Watchdog watchdog_;
};
