#pragma once
#include <windows.h>
inline double StageTotals[32];
inline LARGE_INTEGER StageMark;
inline void StageStart() { QueryPerformanceCounter(&StageMark); }
inline void Stage(int i) { LARGE_INTEGER now; QueryPerformanceCounter(&now); LARGE_INTEGER f; QueryPerformanceFrequency(&f); StageTotals[i] += double(now.QuadPart - StageMark.QuadPart) * 1000.0 / f.QuadPart; StageMark = now; }
