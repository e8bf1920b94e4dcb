// A small helper for scripts and end-to-end runs: watches Quor's main window
// from outside, as a user looking at the screen would.
//   quor_watch done SECONDS [ROWS]
//                             wait until the main window's SFV list shows a
//                             row (ROWS rows: that many SFV files checked),
//                             then print the window's place on the screen
//                             ("window LEFT TOP WIDTH HEIGHT") and what the
//                             checks found
//   quor_watch summary SECONDS  wait until the main window's SFV list shows a
//                             row and end at once (for timing a check)
//   quor_watch close SECONDS  close the main window and wait until it is gone
// Exit code 0 on success, 1 on a time-out, 2 on a wrong command line.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "GuiTestUtil.h"

namespace {

constexpr char kMainClass[] = "TZOZUvavada";
constexpr int kArchiveListId = 2001;
constexpr int kStatusListId = 2002;

HWND WaitForMain(int timeoutMs) {
  HWND main = nullptr;
  guitest::WaitUntil([&] { return (main = FindWindowA(kMainClass, nullptr)) != nullptr; }, timeoutMs);
  return main;
}

// Waits until the main window's SFV list shows rows rows; the main window
// and its two lists then.
bool WaitForSummary(int timeoutMs, int rows, HWND& main, HWND& files, HWND& sfvs) {
  main = WaitForMain(timeoutMs);
  if (!main) {
    std::puts("no main window came up");
    return false;
  }
  // The window may be found while it is still being made: its lists are
  // looked up again until they are there.
  const bool finished = guitest::WaitUntil([&] {
    files = GetDlgItem(main, kArchiveListId);
    sfvs = GetDlgItem(main, kStatusListId);
    return files && sfvs && SendMessageA(sfvs, LVM_GETITEMCOUNT, 0, 0) >= rows;
  }, timeoutMs);
  if (!finished) std::puts("the check did not finish in time");
  return finished;
}

int Done(int timeoutMs, int rows) {
  HWND main = nullptr, files = nullptr, sfvs = nullptr;
  if (!WaitForSummary(timeoutMs, rows, main, files, sfvs)) return 1;
  Sleep(500);  // the last repaint after the check
  RECT rect{};
  GetWindowRect(main, &rect);
  std::printf("window %ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  for (const std::vector<std::string>& row : guitest::ListViewRows(sfvs, 5)) {
    std::printf("%s: %s files, %s good, %s bad, %s missing\n", row[0].c_str(), row[1].c_str(), row[2].c_str(),
                row[3].c_str(), row[4].c_str());
  }
  for (const std::vector<std::string>& row : guitest::ListViewRows(files, 3)) {
    if (row[0].empty() && row[2].empty()) continue;  // a separator row
    std::printf("  %-24s %s\n", row[0].c_str(), row[2].c_str());
  }
  std::fflush(stdout);
  return 0;
}

int Close(int timeoutMs) {
  HWND main = WaitForMain(timeoutMs);
  if (!main) return 0;
  PostMessageA(main, WM_CLOSE, 0, 0);
  return guitest::WaitUntil([&] { return !IsWindow(main); }, timeoutMs) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* const usage = "usage: quor_watch done SECONDS [ROWS] | summary SECONDS | close SECONDS\n";
  const std::string command = argc > 1 ? argv[1] : "";
  if (argc == 3 || (argc == 4 && command == "done")) {
    const int timeoutMs = std::atoi(argv[2]) * 1000;
    if (command == "done") return Done(timeoutMs, argc == 4 ? std::max(1, std::atoi(argv[3])) : 1);
    if (command == "summary") {
      HWND main = nullptr, files = nullptr, sfvs = nullptr;
      return WaitForSummary(timeoutMs, 1, main, files, sfvs) ? 0 : 1;
    }
    if (command == "close") return Close(timeoutMs);
  }
  std::fputs(usage, stderr);
  return 2;
}
