// Drives the message boxes of another process, as a user at the screen would: finds the box that
// the process shows, reads what it says and answers it with one of its buttons.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screen_image.h"

namespace msgbox_driver {

// How often a wait looks again: short next to a person's reaction, long next to a window message.
inline constexpr std::chrono::milliseconds kPollInterval{50};

// What a message box shows.
struct Box {
  std::wstring caption;
  std::wstring text;
  // "ok", "okcancel", "abortretryignore", "yesnocancel", "yesno", "retrycancel",
  // "canceltrycontinue", or "unknown" for any other set of buttons.
  std::string buttons;
  // "critical", "question", "exclamation", "information", "none", or "unknown" for an icon that is
  // none of the system's four.
  std::string icon;
  // A system-modal box stays above every other window. MB_TOPMOST looks the same, and so reads as
  // system-modal too.
  bool systemModal = false;
  // The MessageBox type that shows such a box: buttons + icon + MB_SYSTEMMODAL, or -1 if the
  // buttons or the icon are unknown. Default-button and other flags leave no trace that is read.
  int code = -1;
  // The box as it was on the screen when it was read.
  Image picture;
};

// The visible message boxes ("#32770" top-level windows) of the process, topmost first.
std::vector<HWND> FindBoxes(DWORD processId);

// Reads the box once it has painted itself, raised above the other windows of its band so that its
// picture shows it whole (a topmost window still covers a box that is not). Nothing where its
// text could not be read.
std::optional<Box> ReadBox(HWND box);

// The MessageBox type of a box with these buttons and icon (names as in Box), or -1.
int BoxCode(std::string_view buttons, std::string_view icon, bool systemModal);

// The control id of the button that gives `answer` ("ok", "cancel", "yes", "no", "abort", "retry",
// "ignore", "tryagain", "continue") if the box has such a button.
std::optional<int> AnswerButton(HWND box, std::string_view answer);

// Clicks the button with the control id, as its keyboard or mouse click would; false if the box
// has no such button. The box closes once its thread has taken the click.
bool PressButton(HWND box, int buttonId);

// True once the box is gone from the screen, false if it is still there after `timeout`. A closed
// box's handle may come back for the next box, so only a box seen gone counts as answered.
bool WaitUntilClosed(HWND box, std::chrono::milliseconds timeout);

}  // namespace msgbox_driver
