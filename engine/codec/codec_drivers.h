// The codec drivers of a batch. Opening a conversion stream without naming a
// driver makes the platform open and ask every installed driver in turn,
// which costs a millisecond or more: as much as converting a short file. A
// batch mostly converts a few pairs of formats over and over, so the driver
// that took a pair is kept open and named for the rest of the batch; it is
// the one the platform would pick again, so the output stays the same.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <string>
#include <vector>

class CodecDrivers {
public:
    CodecDrivers() = default;
    ~CodecDrivers();
    CodecDrivers(const CodecDrivers&) = delete;
    CodecDrivers& operator=(const CodecDrivers&) = delete;

    // acmStreamOpen from source to destination with the given flags,
    // through the driver kept for this pair when there is one.
    MMRESULT OpenStream(HACMSTREAM* stream, WAVEFORMATEX* source, WAVEFORMATEX* destination, DWORD flags);

private:
    struct Kept {
        std::string Pair;  // the flags and both formats' bytes
        HACMDRIVER Driver;
    };
    // A batch of many pairs keeps no more drivers open than this.
    static constexpr size_t MaxKept = 16;
    std::vector<Kept> kept_;
};
