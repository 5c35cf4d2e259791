// Small owners for the handles the program holds: each closes in its destructor,
// cannot be copied, and hands its handle over with Detach.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            handle_ = other.Detach();
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    void Attach(Handle handle)
    {
        Close();
        handle_ = handle;
    }
    Handle Detach() { return std::exchange(handle_, Traits::Invalid()); }
    // Returns false when there was a handle and closing it failed.
    bool Close()
    {
        if (handle_ == Traits::Invalid())
            return true;
        return Traits::Close(std::exchange(handle_, Traits::Invalid()));
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct MmioTraits {
    using Handle = HMMIO;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return mmioClose(h, 0) == 0; }
};

struct AcmStreamTraits {
    using Handle = HACMSTREAM;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return acmStreamClose(h, 0) == 0; }
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return CloseHandle(h) != FALSE; }
};

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return GlobalFree(h) == nullptr; }
};

using MmioFile = UniqueHandle<MmioTraits>;
using AcmStream = UniqueHandle<AcmStreamTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

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
