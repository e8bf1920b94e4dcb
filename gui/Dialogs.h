// Small modal questions built on the window layer: a question with any row
// of buttons (the overwrite question needs "No to All" and "Yes to All",
// which a system message box lacks), a one-line input box, and the system's
// open and save dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui {

struct AskButton {
  int id;               // control id, also the answer
  const char* caption;
};

// Class name of the question and input windows (tests look for it).
inline constexpr char kAskClassName[] = "TQuorAskForm";

// Shows text with a question icon and the buttons in a row; Enter presses
// the first button. Returns the id of the button pressed, or cancelId when
// the window is closed or Escape is pressed.
int AskQuestion(HWND owner, const std::string& caption, const std::string& text,
                const std::vector<AskButton>& buttons, int cancelId);

enum class OverwriteAnswer { Yes, No, NoToAll, YesToAll };
// "<name> Already Exists.. Overwrite ?" with Yes, No, No to All, Yes to All;
// closing the window counts as No.
OverwriteAnswer AskOverwrite(HWND owner, const std::string& name);

// A one-line input box with a prompt and a preset text. The text as typed
// when confirmed with OK or Enter; nothing when cancelled.
std::optional<std::string> InputQuery(HWND owner, const std::string& caption, const std::string& prompt,
                                      const std::string& preset);

// The system's open or save dialog. The filter is pairs of texts (caption,
// patterns), each ended by a zero byte, as the system reads it. The chosen
// path as UTF-8, or nothing when cancelled.
struct FileDialogRequest {
  HWND owner = nullptr;
  bool save = false;
  std::string filter;        // "" for none
  std::string defaultExt;    // "" for none: a name is taken as typed
  std::string initialFolder; // "" for the system's choice
  std::string initialName;
  DWORD flags = 0;
};
std::optional<std::string> RunFileDialog(const FileDialogRequest& request);

}  // namespace gui
