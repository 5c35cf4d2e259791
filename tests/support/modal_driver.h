// Drives modal dialogs and message boxes from inside their own modal loop, as
// a user would: a timer on the test's thread waits for the window to appear
// and then hands it to the test.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Calls drive(window) once, from the modal loop that show() runs, as soon as
// a visible window of this thread titled title exists. Returns what show()
// returned.
INT_PTR DriveModalDialog(const char* title, const std::function<INT_PTR()>& show,
                         const std::function<void(HWND)>& drive);

// Records the message boxes that would have been shown, and answers them.
struct ShownMessage {
    std::string Text;
    std::string Title;
    UINT Style;
    HWND Owner;
};
class MessageRecorder {
public:
    explicit MessageRecorder(int answer = IDOK);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<ShownMessage> Messages() const;
    void Clear();
    void SetAnswer(int answer);
    // Decides the answer for each message instead; called on the thread that
    // shows the message, so it may look at the window as the user would.
    void SetResponder(std::function<int(const ShownMessage&)> responder);
};
