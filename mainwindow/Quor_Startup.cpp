#include "mainwindow/Quor_Startup.h"

#include "about/Quor_Const.h"
#include "core/Quor_Text.h"
#include "create/Quor_Creater.h"
#include "mainwindow/Quor_Checker.h"
#include "mainwindow/Quor_CommandLine.h"
#include "platform/fs.h"
#include "settings/Quor_Config.h"

namespace {

// How long a closing main window waits for its worker to stop.
constexpr DWORD kCloseWaitMs = 5000;
// How long a second start waits for the running window to take its request.
constexpr UINT kHandOverWaitMs = 10000;
// The longest a start waits for another start's decision.
constexpr DWORD kStartLockWaitMs = 30000;

// Held from the look for a running copy until this start's own main window
// exists (or its request is handed over), so that starts at the same moment
// (Explorer opens one per selected file) end in one window.
class StartLock {
 public:
  StartLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\QuorStartDecision")) {
    if (mutex_) held_ = WaitForSingleObject(mutex_, kStartLockWaitMs) != WAIT_TIMEOUT;
  }
  ~StartLock() { Release(); }
  StartLock(const StartLock&) = delete;
  StartLock& operator=(const StartLock&) = delete;
  void Release() {
    if (held_) ReleaseMutex(mutex_);
    held_ = false;
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
  }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};

}  // namespace

HWND FindRunningCopy() {
  HWND running = FindWindowA(TZOZUvavada::kClassName, nullptr);
  if (FindWindowA("TAppBuilder", nullptr)) running = nullptr;
  return running;
}

void SendHandOver(HWND target, std::uint32_t code, const std::string& payload) {
  // Held in static storage while the receiver reads it.
  static COPYDATASTRUCT record;
  record.dwData = code;
  record.cbData = static_cast<DWORD>(payload.size());
  record.lpData = const_cast<char*>(payload.data());
  // The receiver only copies the request, but a window that hangs must not
  // hang this start (and Explorer's) with it.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                      kHandOverWaitMs, &result);
}

int RunMainWindowProcess(const std::vector<std::string>& args, const std::function<void()>& windowMade) {
  const std::string settingsPath = SettingsPath();
  // Heap-held: a worker that does not stop within kCloseWaitMs of the
  // window's closing is left to the end of the process.
  auto* window = new TZOZUvavada(settingsPath, ExtractFilePath(settingsPath), Unscramble(kMainCaption));
  window->CommandLineArgs = args;
  gui::TaskbarWindow taskbar;  // outlives the window it owns
  if (taskbar.Make(kAppTitle)) window->Taskbar = &taskbar;
  const bool created = window->CreateForm();
  if (windowMade) windowMade();
  if (!created) return 0;
  window->FinishFormCreate(platform::ExecutablePath());
  ShowWindow(window->hwnd(), SW_SHOW);
  UpdateWindow(window->hwnd());
  window->StartWhenShown();
  gui::RunMessageLoop();
  // Closing set the stop flags; the worker ends at its next safe point, so
  // that a progress file is not cut and the caller still saves what every
  // process saves.
  if (!window->StopWorker(kCloseWaitMs)) return 0;
  delete window;
  return 0;
}

int RunQuor(const std::vector<std::string>& given) {
  const std::vector<std::string> args = WithFullPath(given);
  StartLock lock;
  const HWND running = FindRunningCopy();
  const StartDecision decision = DecideStart(args, running != nullptr);
  if (decision.action != StartAction::OpenMainWindow) lock.Release();
  switch (decision.action) {
    case StartAction::OpenMainWindow:
      RunMainWindowProcess(args, [&] { lock.Release(); });  // later starts find this window now
      break;
    case StartAction::OpenCreator:
      RunCreatorProcess(args, SettingsPath());
      break;
    case StartAction::HandOver:
      SendHandOver(running, decision.code, decision.payload);
      break;
    case StartAction::Exit:
      break;
  }
  return 0;
}
