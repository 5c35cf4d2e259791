// Writing what the codec produces in runs larger than one block, on a thread
// of its own: the worker fills one run while the other is being written, so
// the time the file system takes to take the bytes overlaps the codec's work.
// The file gets the very bytes it would get block by block.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include "win/failure.h"
#include "win/handles.h"

// How much output gathers before it is written: a call into the system per
// run instead of per block, while a batch's file still grows visibly on disk.
constexpr DWORD OutputRunBytes = 256 * 1024;
// The most a run holds, whatever the block size: the output of a larger
// block goes out in several runs, so the memory stays bounded.
constexpr DWORD MaxOutputRunBytes = 16 * OutputRunBytes;

class WriteBehind {
public:
    WriteBehind();
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Room for largestBlock bytes, up to MaxOutputRunBytes, in each of the
    // two runs; false
    // when the memory cannot be had. The file must stay open until Flush
    // has returned or this object is gone.
    bool Allocate(HMMIO file, DWORD largestBlock);
    // False when an earlier run could not be written in full.
    bool Append(const BYTE* bytes, DWORD count);
    // Returns once everything appended is in the file; false when some of it
    // could not be written in full.
    bool Flush();

    // What failed, once Allocate, Append or Flush did.
    const Failure& Why() const { return failure_; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void WriteRuns();
    bool HandOver();
    bool AllocateRun(int run);
    void Stop();

    HMMIO file_ = nullptr;
    GlobalMemory runs_[2];
    BYTE* bytes_[2] = {};
    DWORD capacity_ = 0;
    int filling_ = 0;  // the worker's alone, as is used_
    DWORD used_ = 0;
    // Started with the first full run, so a file whose output fits in one
    // run costs no thread.
    KernelHandle thread_;

    // Shared with the writing thread under lock_.
    SRWLOCK lock_;
    CONDITION_VARIABLE changed_;
    int pending_ = -1;  // the run being written, or -1
    DWORD pendingCount_ = 0;
    bool failed_ = false;
    Failure failure_;  // set before failed_ is
    bool stopping_ = false;
};
