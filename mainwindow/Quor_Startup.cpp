#include "mainwindow/Quor_Startup.h"

#include "about/Quor_Const.h"
#include "core/Quor_Text.h"
#include "create/Quor_Creater.h"
#include "mainwindow/Quor_Checker.h"
#include "mainwindow/Quor_CommandLine.h"
#include "platform/fs.h"
#include "settings/Quor_Config.h"

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
  SendMessageA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

int RunMainWindowProcess(const std::vector<std::string>& args) {
  const std::string settingsPath = SettingsPath();
  // Heap-held: a worker still running when the window has closed is not
  // waited for; the process ends under it.
  auto* window = new TZOZUvavada(settingsPath, ExtractFilePath(settingsPath), Unscramble(kMainCaption));
  window->CommandLineArgs = args;
  if (!window->CreateForm()) return 0;
  window->FinishFormCreate(platform::ExecutablePath());
  ShowWindow(window->hwnd(), SW_SHOW);
  UpdateWindow(window->hwnd());
  window->StartWhenShown();
  gui::RunMessageLoop();
  if (window->WorkerRunning()) ExitProcess(0);
  delete window;
  return 0;
}

int RunQuor(const std::vector<std::string>& args) {
  const HWND running = FindRunningCopy();
  const StartDecision decision = DecideStart(args, running != nullptr);
  switch (decision.action) {
    case StartAction::OpenMainWindow:
      RunMainWindowProcess(args);
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
