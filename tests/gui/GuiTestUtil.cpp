#include "GuiTestUtil.h"

#include <commctrl.h>

#include <chrono>

#include "platform/text.h"

namespace guitest {

namespace {

struct Search {
  DWORD processId;
  const char* className;
  const char* caption;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->processId || !IsWindowVisible(hwnd)) return TRUE;
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, s->className) != 0) return TRUE;
  if (s->caption && WindowText(hwnd) != s->caption) return TRUE;
  s->found = hwnd;
  return FALSE;
}

HWND FindNow(DWORD processId, const char* className, const char* caption) {
  Search s{processId, className, caption};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string WithoutAmpersands(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '&') out += c;
  }
  return out;
}

struct ChildSearch {
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<ChildSearch*>(param);
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, s->className) == 0) s->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Children(HWND parent, const char* className) {
  ChildSearch s{className, {}};
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(10);
  }
  return true;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* caption, int timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindNow(processId, className, caption)) != nullptr; }, timeoutMs);
  return found;
}

bool WaitForNoWindow(DWORD processId, const char* className, int timeoutMs) {
  return WaitUntil([&] { return FindNow(processId, className, nullptr) == nullptr; }, timeoutMs);
}

std::string WindowText(HWND hwnd) {
  wchar_t buffer[4096] = {};
  // WM_GETTEXT works across processes for every window class.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 5000, nullptr);
  return platform::Narrow(buffer);
}

HWND FindChildByText(HWND parent, const std::string& text, const char* className) {
  for (HWND child : Children(parent, className)) {
    if (WithoutAmpersands(WindowText(child)) == WithoutAmpersands(text)) return child;
  }
  return nullptr;
}

std::vector<std::string> ChildTexts(HWND parent, const char* className) {
  std::vector<std::string> texts;
  for (HWND child : Children(parent, className)) texts.push_back(WindowText(child));
  return texts;
}

bool ClickButton(HWND window, const std::string& caption) {
  HWND button = FindChildByText(window, caption);
  if (!button) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

void PressKey(HWND window, UINT virtualKey) {
  PostMessageA(window, WM_KEYDOWN, virtualKey, 1);
  PostMessageA(window, WM_KEYUP, virtualKey, 1u | (1u << 30) | (1u << 31));
}

std::vector<std::string> ListViewTexts(HWND list) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    texts.push_back(platform::Narrow(buffer));
  }
  return texts;
}

std::vector<std::vector<std::string>> ListViewRows(HWND list, int columns) {
  std::vector<std::vector<std::string>> rows;
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return rows;
  // One block in the owner's memory: the item record, then the text buffer.
  // Texts are read as UTF-16, as the list holds them.
  constexpr SIZE_T kTextSize = 2048;
  char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kTextSize * sizeof(wchar_t),
                                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (remote) {
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      std::vector<std::string> row;
      for (int column = 0; column < columns; ++column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        item.cchTextMax = static_cast<int>(kTextSize);
        wchar_t text[kTextSize] = {};
        SIZE_T moved = 0;
        WriteProcessMemory(process, remote, &item, sizeof item, &moved);
        WriteProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof(wchar_t), &moved);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote),
                            SMTO_BLOCK, 5000, &result);
        ReadProcessMemory(process, remote + sizeof(LVITEMW), text, (kTextSize - 1) * sizeof(wchar_t), &moved);
        row.push_back(platform::Narrow(text));
      }
      rows.push_back(std::move(row));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rows;
}

ChildProcess::ChildProcess(const std::string& exe, const std::string& arguments, HANDLE output) {
  std::wstring commandLine = platform::Widen(Quote(exe) + (arguments.empty() ? "" : " " + arguments));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (output) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output;
    si.hStdError = output;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  started_ = CreateProcessW(platform::Widen(exe).c_str(), commandLine.data(), nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                            nullptr, &si, &pi_) != 0;
}

ChildProcess::~ChildProcess() {
  if (!started_) return;
  if (Running()) TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, 5000);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

bool ChildProcess::WaitExit(int timeoutMs) const {
  return WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD ChildProcess::ExitCode() const {
  DWORD code = 12345;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

}  // namespace guitest
