#include "about/Quor_UpdateChk.h"

#include <shellapi.h>

#include <atomic>
#include <chrono>

#include "about/Quor_AboutText.h"
#include "about/Quor_Const.h"
#include "platform/http.h"
#include "platform/text.h"
#include "platform/threads.h"

namespace about {

namespace {

constexpr char kSiteFolder[] = "/ZOZUvavada/";

// Set from the start of a check until its thread has destroyed the window,
// so two quick clicks cannot start two checks before the first window
// exists.
std::atomic<bool> checkRunning{false};

}  // namespace

void OpenAddress(const std::string& address) {
  ShellExecuteW(nullptr, L"open", platform::Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

TSFVUpdateCheck::TSFVUpdateCheck(std::string version)
    : TSFVUpdateCheck(std::move(version), Options{Unscramble(kUpdateCheckAddress), Unscramble(kSiteAddress)}) {}

TSFVUpdateCheck::TSFVUpdateCheck(std::string version, Options options)
    : version_(std::move(version)), options_(std::move(options)) {}

bool TSFVUpdateCheck::Start(std::unique_ptr<TSFVUpdateCheck> check) {
  bool expected = false;
  if (!checkRunning.compare_exchange_strong(expected, true)) return false;
  platform::Thread thread;
  thread.Start(
      [check = std::shared_ptr<TSFVUpdateCheck>(std::move(check))]() {
        check->Execute();
        checkRunning.store(false);
      },
      platform::ThreadPriority::Normal);
  thread.Detach();
  return true;
}

bool TSFVUpdateCheck::Running() { return checkRunning.load(); }

void TSFVUpdateCheck::BuildWindow() {
  font_ = gui::UniqueFont(CreateFontA(-10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
  const SIZE outer = gui::OuterSizeForClient(215, 76, style, exStyle);
  Create(kUpdateClassName, kUpdateCaption, style, exStyle, gui::CentredRect(outer.cx, outer.cy));

  HFONT font = font_.get();
  updateStatusPanel_.CreateChild(hwnd(), kUpdateStatusPanelId, RECT{5, 5, 210, 30}, Panel::Look::Raised, font,
                                 kConnectingText);
  checkAddressPanel_.CreateChild(hwnd(), kCheckAddressPanelId, RECT{60, 36, 210, 53}, Panel::Look::Raised, font,
                                 options_.checkAddress);
  siteAddressPanel_.CreateChild(hwnd(), kSiteAddressPanelId, RECT{60, 54, 210, 71}, Panel::Look::Raised, font,
                                options_.siteAddress);
  updateClosePanel_.CreateChild(hwnd(), kUpdateClosePanelId, RECT{5, 36, 60, 71}, Panel::Look::Raised, font, "Close");

  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
}

void TSFVUpdateCheck::Execute() {
  updateDone_ = false;
  BuildWindow();
  if (!hwnd()) return;

  // The window is not serviced while the request runs; it was painted above.
  const platform::HttpReply reply =
      platform::HttpGet(gui::GetText(checkAddressPanel_.hwnd()), UpdateReferer(version_));
  gui::SetText(updateStatusPanel_.hwnd(), UpdateOutcome(reply.status, reply.body, version_));
  UpdateWindow(hwnd());

  WaitUntilDone();
  Destroy();
}

void TSFVUpdateCheck::WaitUntilDone() {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options_.waitMs);
  while (!updateDone_) {
    // Twenty seconds without any input end the wait, and so does the first
    // input after the deadline.
    const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, options_.waitMs, QS_ALLINPUT);
    if (woke == WAIT_TIMEOUT || Clock::now() > deadline) updateDone_ = true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void TSFVUpdateCheck::OnCommand(int id, int notifyCode, HWND /*control*/) {
  if (notifyCode != STN_CLICKED) return;
  switch (id) {
    case kUpdateClosePanelId:
      updateDone_ = true;
      break;
    case kCheckAddressPanelId:
      options_.open(gui::GetText(checkAddressPanel_.hwnd()));
      break;
    case kSiteAddressPanelId:
      options_.open(gui::GetText(siteAddressPanel_.hwnd()) + kSiteFolder);
      break;
    default:
      break;
  }
}

bool TSFVUpdateCheck::OnClose() {
  // The close box only ends the wait; the run destroys the window.
  updateDone_ = true;
  return false;
}

bool StartUpdateCheck(const std::string& version) {
  if (FindWindowA(kUpdateClassName, kUpdateCaption)) return false;
  return TSFVUpdateCheck::Start(std::make_unique<TSFVUpdateCheck>(version));
}

}  // namespace about
