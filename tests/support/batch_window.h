// The real main window for tests, with rows as Add Files and the format
// choice make them; a message pump; and the seam that records message boxes
// and answers them.
#pragma once
#include <windows.h>
#include <functional>
#include "support/test_files.h"

// The program's faces, icon and bold font, as its start-up loads them;
// false when any of them is missing.
bool LoadProgramResources(HINSTANCE instance);
HWND CreateBatchWindow();
// A row for an entry made in memory, in its place among the rows' sorted
// paths, with its size text and its format described; false when the list
// refuses the row or the format cannot be described.
bool InsertSourceRow(HWND window, const char* path, const char* sizeText, HGLOBAL entry);
// A row for a source file, marked when a destination format is given.
HGLOBAL AddBatchRow(HWND window, const std::string& path, const Bytes& destinationFormat = {});
void ClearBatchRows(HWND window);
void Press(HWND window, int id);
// A drop as the shell makes one: ANSI paths behind a DROPFILES header, in
// global memory that the window releases.
void DropPaths(HWND window, const std::vector<std::string>& paths);
void SelectRows(HWND window, const std::vector<int>& rows);
// Handles this thread's messages (a WM_QUIT is swallowed) until done() or
// the time-out; false on the time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000);
void PumpFor(DWORD milliseconds);
void PumpWaitingMessages();
std::string ControlText(HWND window, int id);
// The list's rows, each its first columns joined by " | ".
std::vector<std::string> RowTexts(HWND window, int columns = 1);
// The ten stored settings in their order, each as "type:value ".
std::string StoredSettings();
uint64_t FileSize(const std::string& path);
// The audio of a destination whose sizes agree with its length; empty otherwise.
Bytes FinishedAudio(const std::string& path);
bool HasPlaceholders(const std::string& path);

struct ShownMessage {
    std::string Text, Title;
    UINT Style;
};
// Records every message box instead of showing it and answers it, with the
// answer or with what the responder (on the showing thread) says.
struct MessageRecorder {
    explicit MessageRecorder(int answer = IDOK);
    ~MessageRecorder();
    std::vector<ShownMessage> Messages() const;
    std::vector<std::string> Texts() const;
    void Clear();
    void SetAnswer(int answer);
    void SetResponder(std::function<int(const ShownMessage&)> responder);
};
// Runs its action when the scope ends, however the test leaves it: a hook
// that a test installed goes again also when an assertion ends the test.
class AtScopeEnd {
public:
    explicit AtScopeEnd(std::function<void()> action) : action_(std::move(action)) {}
    ~AtScopeEnd() { action_(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    std::function<void()> action_;
};
