// Writing the converter's output behind it.
#include "engine/wave/write_behind.h"
#include <cstring>
#include "win/locks.h"

WriteBehind::WriteBehind()
{
    InitializeSRWLock(&lock_);
    InitializeConditionVariable(&changed_);
}

WriteBehind::~WriteBehind() { Stop(); }

bool WriteBehind::Allocate(HMMIO file, DWORD largestBlock)
{
    file_ = file;
    capacity_ = largestBlock > OutputRunBytes ? largestBlock : OutputRunBytes;
    if (capacity_ > MaxOutputRunBytes)
        capacity_ = MaxOutputRunBytes;
    // The second run is needed only once the first is full, which the
    // output of most files of a batch never is.
    return AllocateRun(0);
}

bool WriteBehind::AllocateRun(int run)
{
    runs_[run] = GlobalMemory(GlobalAlloc(GMEM_FIXED, capacity_));
    bytes_[run] = static_cast<BYTE*>(static_cast<void*>(runs_[run].Get()));
    if (bytes_[run] == nullptr)
        failure_ = LastErrorFailure(FailureCause::OutOfMemory);
    return bytes_[run] != nullptr;
}

DWORD WINAPI WriteBehind::ThreadMain(void* self)
{
    static_cast<WriteBehind*>(self)->WriteRuns();
    return 0;
}

void WriteBehind::WriteRuns()
{
    ExclusiveLock hold(lock_);
    for (;;) {
        while (!stopping_ && pending_ < 0)
            hold.Wait(changed_);
        // A run handed over before the stop is still written.
        if (pending_ < 0)
            break;
        const int run = pending_;
        const LONG count = LONG(pendingCount_);
        bool written = false;
        {
            // The worker does not touch this run until it is given back.
            ExclusiveUnlock writing(lock_);
            SetLastError(ERROR_SUCCESS);
            written = mmioWrite(file_, reinterpret_cast<const char*>(bytes_[run]), count) == count;
            if (!written)
                failure_ = LastErrorFailure(FailureCause::Writing);
        }
        if (!written)
            failed_ = true;
        pending_ = -1;
        WakeAllConditionVariable(&changed_);
    }
}

bool WriteBehind::HandOver()
{
    if (!thread_) {
        if (!AllocateRun(1))
            return false;
        thread_.Attach(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
        if (!thread_)
            return failure_ = LastErrorFailure(FailureCause::OutOfMemory), false;
        // It writes for the converter, so it runs as the converter does.
        SetThreadPriority(thread_.Get(), GetThreadPriority(GetCurrentThread()));
    }
    {
        ExclusiveLock hold(lock_);
        while (pending_ >= 0)
            hold.Wait(changed_);
        if (failed_)
            return false;
        pending_ = filling_;
        pendingCount_ = used_;
        WakeAllConditionVariable(&changed_);
    }
    filling_ ^= 1;
    used_ = 0;
    return true;
}

bool WriteBehind::Append(const BYTE* bytes, DWORD count)
{
    // A block fills the run it fits into; one larger than a run is spread
    // over as many as it takes.
    if (count > capacity_ - used_ && count <= capacity_ && !HandOver())
        return false;
    while (count > 0) {
        if (used_ == capacity_ && !HandOver())
            return false;
        DWORD piece = count < capacity_ - used_ ? count : capacity_ - used_;
        memcpy(bytes_[filling_] + used_, bytes, piece);
        used_ += piece;
        bytes += piece;
        count -= piece;
    }
    return true;
}

bool WriteBehind::Flush()
{
    if (!thread_) {
        // Everything fits in one run: written here, without a thread.
        const LONG count = LONG(used_);
        used_ = 0;
        SetLastError(ERROR_SUCCESS);
        if (count == 0 || mmioWrite(file_, reinterpret_cast<const char*>(bytes_[filling_]), count) == count)
            return true;
        failure_ = LastErrorFailure(FailureCause::Writing);
        return false;
    }
    if (used_ > 0 && !HandOver())
        return false;
    ExclusiveLock hold(lock_);
    while (pending_ >= 0)
        hold.Wait(changed_);
    return !failed_;
}

void WriteBehind::Stop()
{
    if (!thread_)
        return;
    {
        ExclusiveLock hold(lock_);
        stopping_ = true;
        WakeAllConditionVariable(&changed_);
    }
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Close();
}
