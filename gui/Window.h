// The thin window layer every window of the program is built on.
//
// A window is a C++ object derived from gui::Window. Create() registers the
// class name once and passes `this` through CREATESTRUCT; the one window
// procedure keeps the pointer in a window property (SetPropW) from
// WM_NCCREATE until WM_NCDESTROY and meanwhile hands each message to
// HandleMessage, whose default dispatches to the small virtual On...
// handlers below. A derived window overrides only the handlers it needs, and
// HandleMessage itself for rare messages.
//
// Destruction: when the object goes first, the base destructor cuts the
// window loose from it before destroying the window, so no message of the
// destruction reaches an object whose derived parts are already gone. A
// derived window whose OnDestroy must run calls Destroy() in its own
// destructor, while it is still whole.
//
// Threads: a window belongs to the thread that created it. Workers never
// touch it; they call SyncCall (run a step on the window's thread and wait,
// through SendMessage of WM_QUOR_SYNC) or send WM_CHECKNOTIFY notices.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "gui/Handles.h"

namespace gui {

// Private messages of the window layer (WM_CHECKNOTIFY is WM_USER + 42).
inline constexpr UINT WM_QUOR_SYNC = WM_APP + 1;         // lParam: std::function<void()>* sent by SyncCall
inline constexpr UINT WM_QUOR_WORKER_DONE = WM_APP + 2;  // a worker's run has ended

// How a modal window ended.
enum class ModalResult { None, Ok, Cancel };

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window (registering className on first use). rect is the
  // outer rectangle; CW_USEDEFAULT works as for CreateWindowEx.
  bool Create(const char* className, const char* caption, DWORD style, DWORD exStyle, RECT rect,
              HWND owner = nullptr, HICON icon = nullptr);
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  static Window* FromHandle(HWND hwnd);

  // Shows the window and runs a message loop until EndModal is called or
  // the window is destroyed. The owner is disabled meanwhile.
  ModalResult ShowModal(HWND owner);
  void EndModal(ModalResult result);
  ModalResult modalResult() const { return modalResult_; }
  bool InModalLoop() const { return inModalLoop_; }

 protected:
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

  // Handlers; each returns true when it handled the message.
  virtual bool OnCreate() { return true; }
  virtual void OnCommand(int /*id*/, int /*notifyCode*/, HWND /*control*/) {}
  virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
  virtual void OnSize(int /*clientWidth*/, int /*clientHeight*/) {}
  virtual void OnActivate(bool /*active*/) {}
  // The window is asked to close (close box, Alt+F4). Return false to keep it.
  virtual bool OnClose() { return true; }
  virtual void OnDestroy() {}
  // A key press seen before the focused control gets it (the keyboard
  // preview of every loop of this layer). Return true to swallow it.
  virtual bool OnPreviewKey(UINT /*virtualKey*/) { return false; }
  virtual void OnChar(UINT /*character*/) {}
  virtual void OnCheckNotify(std::uint32_t /*code*/, std::uint32_t /*value*/) {}
  virtual void OnWorkerDone() {}
  virtual void OnGetMinMaxInfo(MINMAXINFO* /*info*/) {}

 private:
  friend LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  friend bool PreviewKeyMessage(const MSG& msg);

  HWND hwnd_ = nullptr;
  bool inModalLoop_ = false;
  ModalResult modalResult_ = ModalResult::None;
};

// The application's message loop: runs until WM_QUIT, offering every key
// press to the preview of the window it is meant for.
int RunMessageLoop();

// Offers a key message to the OnPreviewKey of its top-level window of this
// layer. True when the window swallowed it.
bool PreviewKeyMessage(const MSG& msg);

// Runs step on the thread that owns hwnd and returns when it has finished.
// Called on that thread it runs at once; from another thread it goes
// through SendMessage, so the caller waits while the window thread runs it
// (also while that thread sits in a modal dialog). False when the window is
// gone and the step did not run.
bool SyncCall(HWND hwnd, const std::function<void()>& step);

// Window text as UTF-8.
std::string GetText(HWND hwnd);
void SetText(HWND hwnd, const std::string& text);

// The wide system calls that carry text, taking UTF-8 (text may be null
// where the system allows it).
HWND CreateWindowUtf8(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
int MessageBoxUtf8(HWND owner, const std::string& text, const std::string& caption, UINT type);
int DrawTextUtf8(HDC dc, const std::string& text, RECT* rect, UINT format);

// Outer size of a window whose client area is clientWidth x clientHeight.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle);
// Outer rectangle of that size centred on the desktop's work area.
RECT CentredRect(int width, int height);

// The outer rectangle moved (and shrunk where larger) onto the work area of
// the monitor nearest to it, so a place saved on a monitor that is gone, or
// partly off the screen, comes back where it can be seen.
RECT KeptOnScreen(RECT rect);

// The program's icon from the resources (null when the module has none).
HICON AppIcon();

}  // namespace gui
