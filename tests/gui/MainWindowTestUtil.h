// Shared by the in-process tests of the main window: a message loop that
// runs until a condition holds, CRC texts as SFV files write them, and a
// fixture that holds a main window over a settings file of its own.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "TestUtil.h"
#include "gui/Window.h"
#include "mainwindow/Quor_Checker.h"

namespace windowtest {

// Handles this thread's messages (with the key preview of the program's
// loops) until pred() holds or the time is up; false when it never held.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 20000) {
  const DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (gui::PreviewKeyMessage(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// Eight upper-case hexadecimal digits.
inline std::string Hex(std::uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", crc);
  return text;
}

// A main window whose settings file and program folder are a temporary
// folder of the test's.
class MainWindowFixture : public ::testing::Test {
 protected:
  // Creates and shows the window with the settings file as it stands;
  // seams (the window's hooks to the outside) are set before its creation.
  void OpenWindow(const char* baseCaption, const std::function<void(TZOZUvavada&)>& seams = nullptr) {
    window = std::make_unique<TZOZUvavada>(settingsPath, dir.path(), baseCaption);
    window->QuitOnDestroy = false;
    if (seams) seams(*window);
    ASSERT_TRUE(window->CreateForm());
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
  }
  HWND hwnd() const { return window->hwnd(); }
  HWND files() const { return window->ArchiveList().hwnd(); }
  HWND sfvs() const { return window->StatusList().hwnd(); }
  // Sets the window's outer size so that its client area is that wide.
  void SetClientWidth(int width) {
    RECT outer, client;
    GetWindowRect(hwnd(), &outer);
    GetClientRect(hwnd(), &client);
    const int extra = (outer.right - outer.left) - client.right;
    SetWindowPos(hwnd(), nullptr, 0, 0, width + extra, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(hwnd(), &client);
    ASSERT_EQ(client.right, width);
  }

  testutil::TempDir dir;
  std::string settingsPath = dir / "ZERAravo.dat";
  std::unique_ptr<TZOZUvavada> window;
};

}  // namespace windowtest
