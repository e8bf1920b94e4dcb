#include "gui/Window.h"

#include <mutex>
#include <set>

#include "core/Quor_Notify.h"
#include "core/Quor_Placement.h"
#include "platform/text.h"
#include "res/resource.h"

namespace gui {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

constexpr wchar_t kObjectProperty[] = L"QuorWindowObject";

// The steps SyncCall has sent and not yet seen back. WM_QUOR_SYNC carries a
// pointer, and any process can post any message to a window: a step runs
// only when this process itself sent it.
class PendingSteps {
 public:
  void Add(const void* step) {
    const std::lock_guard<std::mutex> lock(mutex_);
    steps_.insert(step);
  }
  void Remove(const void* step) {
    const std::lock_guard<std::mutex> lock(mutex_);
    steps_.erase(step);
  }
  bool Contains(const void* step) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return steps_.count(step) != 0;
  }

 private:
  mutable std::mutex mutex_;
  std::set<const void*> steps_;
};

PendingSteps& SentSteps() {
  static PendingSteps steps;
  return steps;
}

bool RegisterOnce(const char* className, HICON icon) {
  // Windows are also made on threads of their own (the update window).
  static std::mutex guard;
  const std::lock_guard<std::mutex> lock(guard);
  static std::set<std::string> registered;
  if (registered.count(className)) return true;
  const std::wstring wideName = platform::Widen(className);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = icon ? icon : AppIcon();
  wc.lpszClassName = wideName.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  registered.insert(className);
  return true;
}

}  // namespace

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetPropW(hwnd, kObjectProperty, self);
  } else {
    self = Window::FromHandle(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);

  if (msg == WM_QUOR_SYNC) {
    const auto* step = reinterpret_cast<const std::function<void()>*>(lParam);
    if (!SentSteps().Contains(step)) return 0;
    (*step)();
    return 1;
  }
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->HandleMessage(msg, wParam, lParam);
}

Window::~Window() {
  if (!hwnd_) return;
  // The derived parts are gone by now: the messages of the destruction
  // (WM_DESTROY, the controls' notices) go to the default handling.
  const HWND hwnd = hwnd_;
  RemovePropW(hwnd, kObjectProperty);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

bool Window::Create(const char* className, const char* caption, DWORD style, DWORD exStyle, RECT rect,
                    HWND owner, HICON icon) {
  if (!RegisterOnce(className, icon)) return false;
  const int width = rect.right == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
  const int height = rect.bottom == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
  return CreateWindowExW(exStyle, platform::Widen(className).c_str(), platform::Widen(caption).c_str(), style,
                         rect.left, rect.top, width, height, owner, nullptr, GetModuleHandleW(nullptr),
                         this) != nullptr;
}

void Window::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

Window* Window::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<Window*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ACTIVATE: {
      const LRESULT result = DefaultHandling(msg, wParam, lParam);
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return result;
    }
    case WM_CLOSE:
      if (!OnClose()) return 0;
      if (inModalLoop_) {
        EndModal(ModalResult::Cancel);
      } else {
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CHAR:
      OnChar(static_cast<UINT>(wParam));
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_CHECKNOTIFY:
      OnCheckNotify(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
      return 0;
    case WM_QUOR_WORKER_DONE:
      OnWorkerDone();
      return 0;
    default:
      return DefaultHandling(msg, wParam, lParam);
  }
}

ModalResult Window::ShowModal(HWND owner) {
  modalResult_ = ModalResult::None;
  inModalLoop_ = true;
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);

  MSG msg;
  while (modalResult_ == ModalResult::None && hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the outer loop
      break;
    }
    if (PreviewKeyMessage(msg)) continue;
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  if (disableOwner) EnableWindow(owner, TRUE);
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  if (owner) SetActiveWindow(owner);
  inModalLoop_ = false;
  if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
  return modalResult_;
}

void Window::EndModal(ModalResult result) {
  modalResult_ = result;
  if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop
}

bool PreviewKeyMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !msg.hwnd) return false;
  Window* window = Window::FromHandle(GetAncestor(msg.hwnd, GA_ROOT));
  return window && window->OnPreviewKey(static_cast<UINT>(msg.wParam));
}

int RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (PreviewKeyMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

bool SyncCall(HWND hwnd, const std::function<void()>& step) {
  if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) {
    step();
    return true;
  }
  if (!IsWindow(hwnd)) return false;
  SentSteps().Add(&step);
  const bool ran = SendMessageW(hwnd, WM_QUOR_SYNC, 0, reinterpret_cast<LPARAM>(&step)) == 1;
  SentSteps().Remove(&step);
  return ran;
}

std::string GetText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return platform::Narrow(text);
}

void SetText(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, platform::Widen(text).c_str()); }

HWND CreateWindowUtf8(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
  const std::wstring wideClass = platform::Widen(className);
  const std::wstring wideText = text ? platform::Widen(text) : std::wstring();
  return CreateWindowExW(exStyle, wideClass.c_str(), text ? wideText.c_str() : nullptr, style, x, y, width, height,
                         parent, menu, instance, param);
}

int MessageBoxUtf8(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  return MessageBoxW(owner, platform::Widen(text).c_str(), platform::Widen(caption).c_str(), type);
}

int DrawTextUtf8(HDC dc, const std::string& text, RECT* rect, UINT format) {
  const std::wstring wide = platform::Widen(text);
  return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT CentredRect(int width, int height) {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  return RECT{left, top, left + width, top + height};
}

RECT KeptOnScreen(RECT rect) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) return rect;
  const RECT& work = info.rcWork;
  const ScreenBox kept = KeepOnWorkArea(
      ScreenBox{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top},
      ScreenBox{work.left, work.top, work.right - work.left, work.bottom - work.top});
  return RECT{kept.left, kept.top, kept.left + kept.width, kept.top + kept.height};
}

HICON AppIcon() {
  static HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUOR));
  return icon;
}

}  // namespace gui
