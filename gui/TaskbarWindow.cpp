#include "gui/TaskbarWindow.h"

#include <shobjidl.h>

namespace gui {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;

// The message the taskbar sends once a window's button exists.
UINT ButtonCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
  return message;
}

TBPFLAG FlagOf(TaskbarProgress state) {
  switch (state) {
    case TaskbarProgress::Normal: return TBPF_NORMAL;
    case TaskbarProgress::Paused: return TBPF_PAUSED;
    case TaskbarProgress::Error: return TBPF_ERROR;
    case TaskbarProgress::None: break;
  }
  return TBPF_NOPROGRESS;
}

}  // namespace

TaskbarWindow::~TaskbarWindow() {
  if (taskbar_) taskbar_->Release();
  if (comStarted_) CoUninitialize();
}

bool TaskbarWindow::Make(const std::string& title) {
  RECT centre = CentredRect(0, 0);
  if (!Create("TQuorApplication", title.c_str(), kStyle, 0, centre)) return false;
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  return true;
}

void TaskbarWindow::SetTitle(const std::string& title) {
  if (hwnd() && GetText(hwnd()) != title) SetText(hwnd(), title);
}

void TaskbarWindow::ShowProgress(TaskbarProgress state, int percent) {
  if (!taskbar_) return;
  taskbar_->SetProgressState(hwnd(), FlagOf(state));
  if (state != TaskbarProgress::None) taskbar_->SetProgressValue(hwnd(), static_cast<ULONGLONG>(percent), 100);
}

bool TaskbarWindow::OnClose() {
  // Closing the button closes the program the way the main window does.
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  return false;
}

LRESULT TaskbarWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == ButtonCreatedMessage() && !taskbar_) {
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar_))) ||
        FAILED(taskbar_->HrInit())) {
      if (taskbar_) taskbar_->Release();
      taskbar_ = nullptr;
    }
    return 0;
  }
  if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && main_ && IsWindowEnabled(main_)) {
    // The button was clicked: the main window is what the user wants.
    SetActiveWindow(main_);
    return 0;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace gui
