// Helpers for GUI tests: find the windows a process shows, read what they
// show, and press their buttons as a user would (BM_CLICK, key presses).
// They work on windows of this process (in-process tests, from a helper
// thread while the main thread sits in a modal loop) and of a child process
// (end-to-end tests).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace guitest {

// The first visible top-level window of the process whose class (and, when
// given, caption) matches; waits up to timeoutMs. Null when none came.
HWND WaitForWindow(DWORD processId, const char* className, const char* caption = nullptr,
                   int timeoutMs = 10000);
// True when no visible window of that class is left within timeoutMs.
bool WaitForNoWindow(DWORD processId, const char* className, int timeoutMs = 10000);

// A child control with that text ('&' ignored), or null.
HWND FindChildByText(HWND parent, const std::string& text, const char* className = "Button");
// Texts of all child windows of a class, in z-order.
std::vector<std::string> ChildTexts(HWND parent, const char* className);
// Presses the button of the window with that caption; false when not found.
bool ClickButton(HWND window, const std::string& caption);
// A key press (down and up) posted to a window.
void PressKey(HWND window, UINT virtualKey);
std::string WindowText(HWND hwnd);
// Waits until pred() is true, up to timeoutMs.
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 10000);

// Runs a script on a helper thread (answering dialogs the main thread
// shows) and joins it when it goes out of scope.
class Helper {
 public:
  explicit Helper(std::function<void()> script) : thread_(std::move(script)) {}
  ~Helper() { thread_.join(); }

 private:
  std::thread thread_;
};

// A program started as Explorer would start it (exe quoted, then the
// arguments), optionally with its output sent to a handle. A child still
// running when this goes out of scope is ended.
class ChildProcess {
 public:
  ChildProcess(const std::string& exe, const std::string& arguments, HANDLE output = nullptr);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return started_; }
  DWORD pid() const { return pi_.dwProcessId; }
  // True when the process ended within timeoutMs.
  bool WaitExit(int timeoutMs = 30000) const;
  bool Running() const;
  DWORD ExitCode() const;

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

// The text in double quotes, as a path is passed on a command line.
inline std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// Texts of a report list view's items, column 0.
std::vector<std::string> ListViewTexts(HWND list);

// The texts of a report list view's rows, columns 0 .. columns-1 by their
// index, read through the memory of the process that owns the list (so the
// list may belong to another process). Empty when that process cannot be
// opened.
std::vector<std::vector<std::string>> ListViewRows(HWND list, int columns);

}  // namespace guitest
