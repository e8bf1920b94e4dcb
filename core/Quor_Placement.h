// Where a restored window may stand: the arithmetic that keeps a saved place
// on a screen that is still there. The window code asks the system for the
// work area of the monitor nearest to the saved place; this decides the rest.
#pragma once

#include <algorithm>

struct ScreenBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenBox&) const = default;
};

// The window's box moved, and where it is larger shrunk, so that it lies
// wholly within the work area: its size stays where it fits, and it moves no
// further than needed. A width or height below 0 (not saved) is kept as it
// is and counts as 0 here.
inline ScreenBox KeepOnWorkArea(ScreenBox window, const ScreenBox& area) {
  if (window.width > area.width) window.width = area.width;
  if (window.height > area.height) window.height = area.height;
  const int width = std::max(window.width, 0), height = std::max(window.height, 0);
  window.left = std::clamp(window.left, area.left, area.left + area.width - width);
  window.top = std::clamp(window.top, area.top, area.top + area.height - height);
  return window;
}
