// The program's button on the taskbar. The main window is owned by this
// small window, so the button shows the application's title ("Quor", or
// "Quor - P%" during a check) while the main window's own caption says more;
// the button also shows the check's progress where the system offers it.
// Clicking the button minimizes and restores this window, and with it the
// windows it owns.
#pragma once

#include <windows.h>

#include <string>

#include "gui/Window.h"

struct ITaskbarList3;

namespace gui {

enum class TaskbarProgress { None, Normal, Paused, Error };

class TaskbarWindow : public Window {
 public:
  ~TaskbarWindow() override;

  // Creates the window, shown but of no size, with the title. main: the
  // window it stands for (set later with SetMain when it does not exist yet).
  bool Make(const std::string& title);
  void SetMain(HWND main) { main_ = main; }

  void SetTitle(const std::string& title);
  void ShowProgress(TaskbarProgress state, int percent);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool OnClose() override;

 private:
  HWND main_ = nullptr;
  ITaskbarList3* taskbar_ = nullptr;  // once the system has made the button; null where it offers none
  bool comStarted_ = false;
};

}  // namespace gui
