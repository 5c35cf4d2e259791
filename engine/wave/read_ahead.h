// Reading a source's audio data on a thread of its own, ahead of the
// converter, so that the time the file takes to read overlaps the codec's
// work instead of adding to it. The converter gets the very bytes it would
// read block by block, so the destination comes out the same.
#pragma once
#include <windows.h>
#include <cstdint>
#include "win/failure.h"
#include "win/handles.h"

// How much the reading thread asks of the file at once: a call into the
// system per run instead of per block.
constexpr DWORD ReadAheadRunBytes = 256 * 1024;
// How far the reading may run ahead of the converter, beyond one block: the
// thread is woken when half of it is free, and what is left covers the
// milliseconds until it is scheduled on a busy machine.
constexpr DWORD ReadAheadRoomBytes = 16 * ReadAheadRunBytes;
// The most the ring holds, whatever the block size: a larger block is handed
// over piece by piece as it is read, so the memory stays bounded.
constexpr DWORD MaxReadAheadRingBytes = 64 * ReadAheadRunBytes;
// How much of the end of a read stays in the ring for a step back: far more
// than one block of any format, which is the most a codec leaves unconsumed.
constexpr DWORD ReadAheadKeptBytes = 4 * ReadAheadRunBytes;

// The audio data of a source, read ahead. Read and StepBack behave as reads
// and backward seeks on the file itself would: a read gives fewer bytes than
// asked only at the end of the data or of the file.
class ReadAhead {
public:
    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Starts reading length bytes from offset, where the converter's own
    // handle opened stands. Data that one run holds is read at once through
    // that handle; more is read by a thread of its own through a second
    // handle, for reading only and letting the converter's deny writing.
    // blockSize is the most that one Read asks for. False when the file, the
    // memory or the thread cannot be had.
    bool Start(HMMIO opened, const char* path, DWORD offset, DWORD length, DWORD blockSize);

    // Copies up to count (any number) bytes from the reading position
    // into buffer and moves the position behind them; waits while they are
    // still being read. The number of bytes copied, 0 at the end, or -1 when
    // the file could not be read.
    LONG Read(BYTE* buffer, DWORD count);

    // Moves the position back by count bytes of the last read, so the next
    // read gives them again. False when they are not within the last read, or
    // beyond the ReadAheadKeptBytes that the ring keeps of a larger read.
    bool StepBack(DWORD count);

    // What failed, once Start or Read did.
    const Failure& Why() const { return failure_; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void ReadRuns();
    void Stop();
    // Under lock_: the free room of the ring, and what the next run reads.
    uint64_t Room() const;
    uint64_t Wanted() const;

    KernelHandle file_;
    KernelHandle thread_;
    GlobalMemory ring_;
    BYTE* bytes_ = nullptr;
    DWORD capacity_ = 0;
    uint64_t length_ = 0;

    // Shared with the reading thread under lock_. Positions count bytes of
    // the data from its start: the ring holds [tail_, head_), at ring index
    // position % capacity_; the converter reads at position_ >= tail_.
    SRWLOCK lock_;
    CONDITION_VARIABLE dataArrived_;
    CONDITION_VARIABLE roomFreed_;
    uint64_t head_ = 0;
    uint64_t tail_ = 0;
    bool ended_ = false;   // the data or the file has no more bytes
    bool failed_ = false;  // a read of the file failed
    Failure failure_;      // set before failed_ is
    bool stopping_ = false;
    bool readerWaiting_ = false;
    bool converterWaiting_ = false;

    uint64_t position_ = 0;  // the converter's alone
    DWORD lastRead_ = 0;
};
