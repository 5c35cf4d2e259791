// Placeholder until the progress hand-over lands.
#include "engine/progress.h"

BatchCounters BatchStatistics = {};

void StartFileProgress(DWORD) {}
void UpdateProgress(DWORD, DWORD, DWORD, DWORD) {}
void ClearProgressRows() {}
void ShowLatestProgress(HWND) {}
