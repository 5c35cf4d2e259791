// The process's memory counters, which the load benchmarks watch.
#pragma once
#include <windows.h>
#define PSAPI_VERSION 2
#include <psapi.h>

inline PROCESS_MEMORY_COUNTERS ProcessMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}
