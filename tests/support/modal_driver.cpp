// Driving modal dialogs from tests.
#include "support/modal_driver.h"
#include <mutex>
#include "ui/user_prompts.h"

namespace {

struct Pending {
    std::string Title;
    std::function<void(HWND)> Drive;
    bool Done = false;
};
thread_local Pending* pending = nullptr;

BOOL CALLBACK FindTitled(HWND window, LPARAM found)
{
    char title[256] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (IsWindowVisible(window) && pending != nullptr && pending->Title == title) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (pending == nullptr || pending->Done)
        return;
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTitled, reinterpret_cast<LPARAM>(&found));
    if (found == nullptr)
        return;
    pending->Done = true;
    KillTimer(nullptr, timer);
    pending->Drive(found);
}

std::mutex recorderLock;
std::vector<ShownMessage> recorded;
int recorderAnswer = IDOK;
std::function<int(const ShownMessage&)> recorderResponder;

int RecordMessage(HWND owner, const char* text, const char* title, UINT style)
{
    ShownMessage shown{text, title, style, owner};
    std::function<int(const ShownMessage&)> responder;
    int answer;
    {
        std::lock_guard<std::mutex> guard(recorderLock);
        recorded.push_back(shown);
        responder = recorderResponder;
        answer = recorderAnswer;
    }
    return responder ? responder(shown) : answer;
}

}  // namespace

INT_PTR DriveModalDialog(const char* title, const std::function<INT_PTR()>& show,
                         const std::function<void(HWND)>& drive)
{
    Pending request{title, drive};
    Pending* previous = pending;
    pending = &request;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, OnTimer);
    INT_PTR result = show();
    if (!request.Done)
        KillTimer(nullptr, timer);
    pending = previous;
    return result;
}

MessageRecorder::MessageRecorder(int answer)
{
    Clear();
    SetAnswer(answer);
    SetMessageBoxFunction(RecordMessage);
}

MessageRecorder::~MessageRecorder()
{
    SetResponder(nullptr);
    SetMessageBoxFunction(nullptr);
}

std::vector<ShownMessage> MessageRecorder::Messages() const
{
    std::lock_guard<std::mutex> guard(recorderLock);
    return recorded;
}

void MessageRecorder::Clear()
{
    std::lock_guard<std::mutex> guard(recorderLock);
    recorded.clear();
}

void MessageRecorder::SetAnswer(int answer)
{
    std::lock_guard<std::mutex> guard(recorderLock);
    recorderAnswer = answer;
}

void MessageRecorder::SetResponder(std::function<int(const ShownMessage&)> responder)
{
    std::lock_guard<std::mutex> guard(recorderLock);
    recorderResponder = std::move(responder);
}
