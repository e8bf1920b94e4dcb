// Shared by the in-process tests of the main window: a message loop that
// runs until a condition holds, and CRC texts as SFV files write them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "gui/Window.h"

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

}  // namespace windowtest
