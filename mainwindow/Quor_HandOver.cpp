// The main window's start-up steps and the requests it takes from outside:
// the check named on the command line (at the first activation), a later
// copy's WM_COPYDATA hand-over and files dropped from Explorer. What each
// request means is decided by the portable Quor_CommandLine; this file only
// reads the Win32 records.
#include "mainwindow/Quor_Checker.h"

#include <vector>

#include "check/Quor_CheckThread.h"
#include "core/Quor_MiscFileLib.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

// Progress files untouched for longer than this are deleted at start.
constexpr std::uint32_t kProgressFileDays = 7;
// A temporary file of a progress file's write is put in place within
// moments; one untouched for this long was left by a crash.
constexpr std::uint64_t kStaleTemporarySeconds = 60 * 60;

}  // namespace

void TZOZUvavada::FinishFormCreate(const std::string& programPath) {
  const std::string error = ApplyAssociations(programPath, settings_.explorer);
  if (!error.empty()) {
    ShowError(error);
    return;
  }
  DragAcceptFiles(hwnd(), TRUE);
  DeleteOldFiles(ProgressFolder(programFolder_), kProgressFileDays);
  DeleteStaleTemporaryFiles(ProgressFolder(programFolder_), kStaleTemporarySeconds);
}

void TZOZUvavada::StartWhenShown() { PostMessageA(hwnd(), WM_QUOR_FIRST_ACTIVATE, 0, 0); }

void TZOZUvavada::OnActivate(bool active) {
  if (active) FormActivate();
}

void TZOZUvavada::FormActivate() {
  if (firstActivationDone_) return;
  firstActivationDone_ = true;
  // The File Size column and the column orders are in place already: the
  // window's creation applied them with the loaded settings.
  if (std::optional<CheckRequest> request = CheckRequestOfCommandLine(CommandLineArgs)) {
    queue_.StartCheckRun(request->path, request->isFolder, request->specific);
    UpdateMenuState();
  }
}

void TZOZUvavada::FormCopyData(const COPYDATASTRUCT* record) {
  if (!record) return;
  // The record's bytes are read only within cbData: a sender's record
  // without its zero byte gives the bytes it sent, nothing beyond them.
  const std::optional<CheckRequest> request =
      RequestOfHandOver(static_cast<std::uint32_t>(record->dwData), record->lpData, record->cbData);
  if (!request) return;
  // The sender waits until this returns: the folder is scanned afterwards,
  // from this window's own queue.
  handOvers_.push_back(*request);
  PostMessageW(hwnd(), WM_QUOR_HANDOVER, 0, 0);
}

void TZOZUvavada::TakeHandOver() {
  if (handOvers_.empty()) return;
  const CheckRequest request = std::move(handOvers_.front());
  handOvers_.pop_front();
  SubmitCheck(request.path, request.isFolder, request.specific);
}

void TZOZUvavada::FormDropFiles(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Each path is fetched whole, however long: its length first.
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT got = DragQueryFileW(drop, i, buffer.data(), length + 1);
    const std::string path = platform::PathFromSystem(std::wstring_view(buffer.data(), got));
    if (path.empty()) continue;
    if (std::optional<CheckRequest> request = RequestOfDroppedItem(path, platform::FolderExists(path))) {
      SubmitCheck(request->path, request->isFolder, request->specific);
    }
  }
  // Let what the first request started show before the drop is released.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (gui::PreviewKeyMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DragFinish(drop);
}
