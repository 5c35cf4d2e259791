// Plays the user of a modal dialog: a thread timer fires inside the dialog's
// own message loop, finds the dialog by its title and runs the test's steps
// on it, as a person would click through it.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Arranges for steps to run on the first enabled dialog of this thread titled
// title, once a modal loop dispatches the timer. The steps must end the
// dialog. A dialog of another title that shows up instead is cancelled after
// a while, so a wrong dialog fails the test instead of hanging it.
void DriveDialogWhenShown(const std::string& title, std::function<void(HWND dialog)> steps);
// Whether the steps ran since the last DriveDialogWhenShown; stops the timer.
bool FinishDialogDriving();

std::string WindowText(HWND window);
std::vector<std::string> ComboEntries(HWND dialog, int id);
std::vector<std::string> ListEntries(HWND dialog, int id);
// Selects the combo box entry of this text and tells the dialog, as a click
// on the entry does; false when there is no such entry.
bool ChooseComboEntry(HWND dialog, int id, const std::string& text);
// Selects a list box entry and tells the dialog.
bool ChooseListEntry(HWND dialog, int id, int index);
// Presses an enabled push button; false when it is disabled.
bool PressButton(HWND dialog, int id);
