#include <gtest/gtest.h>

#include <algorithm>

#include "GuiTestUtil.h"
#include "about/Quor_About.h"
#include "about/Quor_AboutText.h"
#include "core/Quor_Text.h"

namespace about {
namespace {

struct Geometry {
  RECT window{};  // screen
  RECT label{};   // client coordinates
  RECT button{};  // client coordinates
  std::string buttonText;
  LONG buttonStyle = 0;
  bool found = false;
};

Geometry Measure(HWND window) {
  Geometry g;
  g.found = window != nullptr;
  if (!window) return g;
  GetWindowRect(window, &g.window);
  HWND label = FindWindowExA(window, nullptr, "TQuorPanel", nullptr);
  HWND button = FindWindowExA(window, nullptr, "Button", nullptr);
  GetWindowRect(label, &g.label);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&g.label), 2);
  GetWindowRect(button, &g.button);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&g.button), 2);
  g.buttonText = guitest::WindowText(button);
  g.buttonStyle = GetWindowLongA(button, GWL_STYLE);
  return g;
}

// The widest line and the line height of text in the window's font,
// measured line by line.
SIZE ExpectedLabel(const std::string& text) {
  HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sherif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  const std::vector<std::string> lines = SplitListText(text);
  LONG width = 0;
  for (const std::string& line : lines) {
    SIZE size{};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    width = std::max(width, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return SIZE{width, metrics.tmHeight * static_cast<LONG>(lines.size())};
}

// Shows a window with show() on this thread while a helper measures it and
// then presses keys on it.
Geometry ShowAndEnter(void (*show)(HWND), const char* caption, bool tryEscapeFirst, bool* stayedOnEscape) {
  Geometry g;
  guitest::Helper helper([&] {
    HWND window = guitest::WaitForWindow(GetCurrentProcessId(), kTextWindowClassName, caption);
    g = Measure(window);
    if (!window) return;
    HWND button = FindWindowExA(window, nullptr, "Button", nullptr);
    if (tryEscapeFirst) {
      guitest::PressKey(button, VK_ESCAPE);
      Sleep(300);
      *stayedOnEscape = IsWindowVisible(window);
    }
    guitest::PressKey(button, VK_RETURN);
  });
  show(nullptr);
  return g;
}

TEST(TextWindow, DisclaimerIsSizedFromItsTextAndEnterClosesIt) {
  bool stayed = false;
  const Geometry g = ShowAndEnter(ShowDisclaimer, kDisclaimerCaption, true, &stayed);
  ASSERT_TRUE(g.found);
  EXPECT_TRUE(stayed) << "Escape must not close the window";
  const SIZE label = ExpectedLabel(std::string(DisclaimerText()));
  const int width = g.window.right - g.window.left;
  const int height = g.window.bottom - g.window.top;
  EXPECT_EQ(g.label.left, 5);
  EXPECT_EQ(g.label.top, 10);
  EXPECT_EQ(g.label.right - g.label.left, label.cx);
  EXPECT_EQ(g.label.bottom - g.label.top, label.cy);
  EXPECT_EQ(width, label.cx + 15);
  EXPECT_EQ(height, label.cy + 70);
  EXPECT_EQ(g.button.left, width / 2 - 25);
  EXPECT_EQ(g.button.top, height - 53);
  EXPECT_EQ(g.button.right - g.button.left, 50);
  EXPECT_EQ(g.button.bottom - g.button.top, 20);
  EXPECT_EQ(g.buttonText, "OK");
  EXPECT_EQ(g.buttonStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  // Centred on the screen.
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((g.window.left + g.window.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((g.window.top + g.window.bottom) - (work.top + work.bottom)), 1);
}

TEST(TextWindow, AboutShowsItsTenLinesAndEnterClosesIt) {
  const std::string text = AboutText();
  const std::vector<std::string> lines = SplitListText(text);
  ASSERT_EQ(lines.size(), 15u);
  for (std::size_t i : {1u, 3u, 10u, 11u, 13u}) EXPECT_EQ(lines[i], "") << i;
  for (std::size_t i : {0u, 2u, 4u, 5u, 6u, 7u, 8u, 9u, 12u, 14u}) EXPECT_NE(lines[i], "") << i;
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");

  bool stayed = false;
  const Geometry g = ShowAndEnter(ShowAbout, kAboutCaption, false, &stayed);
  ASSERT_TRUE(g.found);
  const SIZE label = ExpectedLabel(text);
  EXPECT_EQ(g.window.right - g.window.left, label.cx + 15);
  EXPECT_EQ(g.window.bottom - g.window.top, label.cy + 70);
}

TEST(TextWindow, OkButtonAndCloseBoxEndItTooAndTheOwnerComesBack) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
  bool ownerDisabled = false;
  {
    guitest::Helper helper([&] {
      HWND window = guitest::WaitForWindow(GetCurrentProcessId(), kTextWindowClassName, "Two lines");
      if (!window) return;
      ownerDisabled = !IsWindowEnabled(owner) && GetWindow(window, GW_OWNER) == owner;
      guitest::ClickButton(window, "OK");
    });
    ShowTextWindow("first line\r\nsecond", "Two lines", owner);
  }
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  {
    guitest::Helper helper([&] {
      HWND window = guitest::WaitForWindow(GetCurrentProcessId(), kTextWindowClassName, "closing");
      if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    });
    ShowTextWindow("x", "closing", owner);
  }
  EXPECT_TRUE(guitest::WaitForNoWindow(GetCurrentProcessId(), kTextWindowClassName, 0));
  DestroyWindow(owner);
}

}  // namespace
}  // namespace about
