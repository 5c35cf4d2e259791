// Locks held for one scope: a movable global memory block's, and a slim
// reader/writer lock's, with the condition wait and the inner let-go.
#pragma once
#include <windows.h>

// Holds a lock on a movable global memory block for one scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory)
        : memory_(memory), data_(memory != nullptr ? GlobalLock(memory) : nullptr) {}
    ~GlobalLockScope()
    {
        if (data_ != nullptr)
            GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;

    void* Data() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL memory_;
    void* data_;
};

// Holds a slim reader/writer lock exclusively for one scope. Wait sleeps on
// a condition variable, the lock let go meanwhile and held again on waking.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    void Wait(CONDITION_VARIABLE& condition) { SleepConditionVariableSRW(&condition, &lock_, INFINITE, 0); }

private:
    SRWLOCK& lock_;
};

// Within an ExclusiveLock's scope: lets go of the lock for one inner scope
// (a slow call that must not hold it) and holds it again at its end.
class ExclusiveUnlock {
public:
    explicit ExclusiveUnlock(SRWLOCK& lock) : lock_(lock) { ReleaseSRWLockExclusive(&lock_); }
    ~ExclusiveUnlock() { AcquireSRWLockExclusive(&lock_); }
    ExclusiveUnlock(const ExclusiveUnlock&) = delete;
    ExclusiveUnlock& operator=(const ExclusiveUnlock&) = delete;

private:
    SRWLOCK& lock_;
};
