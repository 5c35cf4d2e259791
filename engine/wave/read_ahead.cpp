// Reading ahead of the converter.
#include "engine/wave/read_ahead.h"
#include <cstring>
#include "win/locks.h"

ReadAhead::ReadAhead()
{
    InitializeSRWLock(&lock_);
    InitializeConditionVariable(&dataArrived_);
    InitializeConditionVariable(&roomFreed_);
}

ReadAhead::~ReadAhead() { Stop(); }

bool ReadAhead::Start(HMMIO reader, const char* path, DWORD offset, DWORD length, DWORD blockSize)
{
    length_ = length;
    // Most files of a batch of voice prompts are this short: a thread and a
    // second handle would cost more than reading them.
    if (length <= ReadAheadRunBytes) {
        capacity_ = length > 0 ? length : 1;
        ring_ = GlobalMemory(GlobalAlloc(GMEM_FIXED, capacity_));
        if (!ring_)
            return failure_ = LastErrorFailure(FailureCause::OutOfMemory), false;
        bytes_ = static_cast<BYTE*>(static_cast<void*>(ring_.Get()));
        LONG got = length > 0 ? mmioRead(reader, reinterpret_cast<HPSTR>(bytes_), LONG(length)) : 0;
        failed_ = got < 0;
        if (failed_)
            failure_ = LastErrorFailure(FailureCause::Reading);
        head_ = got > 0 ? DWORD(got) : 0;
        ended_ = true;
        return true;
    }

    HANDLE opened = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return failure_ = LastErrorFailure(FailureCause::OpeningSource), false;
    file_.Attach(opened);
    LARGE_INTEGER start;
    start.QuadPart = offset;
    if (!SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN))
        return false;

    // One read of a whole block must fit beside the room for the runs, or
    // the reading thread would wait for room that the converter cannot free.
    // Whole runs, so the runs never wrap around the end of the ring.
    uint64_t blockRuns = (uint64_t(blockSize) + ReadAheadRunBytes - 1) / ReadAheadRunBytes;
    uint64_t capacity = blockRuns * ReadAheadRunBytes + ReadAheadRoomBytes;
    capacity_ = DWORD(capacity < MaxReadAheadRingBytes ? capacity : MaxReadAheadRingBytes);
    ring_ = GlobalMemory(GlobalAlloc(GMEM_FIXED, capacity_));
    if (!ring_)
        return false;
    bytes_ = static_cast<BYTE*>(static_cast<void*>(ring_.Get()));

    thread_.Attach(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    if (!thread_)
        return false;
    // It reads for the converter, so it runs as the converter does.
    SetThreadPriority(thread_.Get(), GetThreadPriority(GetCurrentThread()));
    return true;
}

DWORD WINAPI ReadAhead::ThreadMain(void* self)
{
    static_cast<ReadAhead*>(self)->ReadRuns();
    return 0;
}

uint64_t ReadAhead::Room() const { return capacity_ - (head_ - tail_); }

uint64_t ReadAhead::Wanted() const
{
    uint64_t rest = length_ - head_;
    return rest < ReadAheadRunBytes ? rest : ReadAheadRunBytes;
}

void ReadAhead::ReadRuns()
{
    ExclusiveLock hold(lock_);
    for (;;) {
        // Asleep until a whole run fits, or it would read in pieces as
        // small as the blocks that the converter frees.
        while (!stopping_ && !ended_ && Room() < Wanted()) {
            readerWaiting_ = true;
            hold.Wait(roomFreed_);
        }
        readerWaiting_ = false;
        if (stopping_ || ended_)
            break;
        // The free room from the head on, up to the end of the ring.
        DWORD index = DWORD(head_ % capacity_);
        uint64_t count = capacity_ - index;
        if (count > Wanted())
            count = Wanted();
        if (count == 0) {
            ended_ = true;
            break;
        }
        DWORD got = 0;
        BOOL read = FALSE;
        {
            // The converter does not touch the room until the head has passed it.
            ExclusiveUnlock reading(lock_);
            read = ::ReadFile(file_.Get(), bytes_ + index, DWORD(count), &got, nullptr);
            if (!read)
                failure_ = LastErrorFailure(FailureCause::Reading);
        }
        if (!read)
            failed_ = true;
        if (!read || got == 0)
            ended_ = true;
        head_ += got;
        if (converterWaiting_) {
            converterWaiting_ = false;
            WakeConditionVariable(&dataArrived_);
        }
    }
    // Whatever ended the reading, a converter waiting for data wakes up.
    WakeConditionVariable(&dataArrived_);
}

LONG ReadAhead::Read(BYTE* buffer, DWORD count)
{
    DWORD copied = 0;
    bool failed = false;
    ExclusiveLock hold(lock_);
    for (;;) {
        // What lies before the position is never asked for again, but for
        // the end of a read larger than the ring, which a step back may ask
        // for.
        uint64_t kept = copied < ReadAheadKeptBytes ? copied : ReadAheadKeptBytes;
        tail_ = position_ - kept;
        // The reading thread is woken only once half the room is free, and
        // then reads runs until the ring is full: a wake-up costs tens of
        // microseconds, too much to pay for every run. When the converter is
        // about to wait for data below, all the room beyond a block is free.
        uint64_t rest = length_ - head_;
        uint64_t worthWaking = rest < ReadAheadRoomBytes / 2 ? rest : ReadAheadRoomBytes / 2;
        // Woken once: until it runs, the flag would call for a wake-up at
        // every read.
        if (readerWaiting_ && Room() >= worthWaking) {
            readerWaiting_ = false;
            WakeConditionVariable(&roomFreed_);
        }
        // A block is copied at once when the ring can hold it, and a larger
        // one in pieces of at most half the ring.
        uint64_t wanted = count - copied;
        if (wanted > (capacity_ - kept) / 2)
            wanted = (capacity_ - kept) / 2;
        while (head_ - position_ < wanted && !ended_) {
            converterWaiting_ = true;
            hold.Wait(dataArrived_);
        }
        converterWaiting_ = false;
        uint64_t available = head_ - position_;
        failed = failed_;
        if (available == 0)
            break;
        DWORD piece = available < count - copied ? DWORD(available) : count - copied;
        {
            // The bytes [position, position + piece) stay in the ring until
            // the tail passes them, which only this thread moves, so they
            // are copied without the lock.
            ExclusiveUnlock copying(lock_);
            DWORD index = DWORD(position_ % capacity_);
            DWORD first = capacity_ - index < piece ? capacity_ - index : piece;
            memcpy(buffer + copied, bytes_ + index, first);
            memcpy(buffer + copied + first, bytes_, piece - first);
        }
        position_ += piece;
        copied += piece;
        if (copied == count)
            break;
    }
    if (copied < count && failed)
        return -1;
    lastRead_ = copied;
    return LONG(copied);
}

bool ReadAhead::StepBack(DWORD count)
{
    if (count > lastRead_ || position_ - count < tail_)
        return false;
    position_ -= count;
    lastRead_ -= count;
    return true;
}

void ReadAhead::Stop()
{
    if (!thread_)
        return;
    {
        ExclusiveLock hold(lock_);
        stopping_ = true;
        WakeConditionVariable(&roomFreed_);
    }
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Close();
}
