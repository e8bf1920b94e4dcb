// Helpers for the menu tests: the main window's menu bar read back as text,
// its items found by their caption path and clicked (a click on a menu item
// reaches the window as WM_COMMAND with the item's id), and the scripting of
// the real dialogs the items open.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "gui/Dialogs.h"
#include "MainWindowTestUtil.h"
#include "gui/Window.h"
#include "res/resource.h"
#include "settings/Quor_Config.h"

namespace menutest {

using windowtest::PumpUntil;

struct ItemInfo {
  std::string text;
  UINT id = 0;
  UINT state = 0;
  UINT type = 0;
  HMENU sub = nullptr;
};

inline ItemInfo Item(HMENU menu, int position) {
  char text[256] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
  info.dwTypeData = text;
  info.cch = sizeof text;
  GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
  return ItemInfo{text, info.wID, info.fState, info.fType, info.hSubMenu};
}

// The menu as an indented listing: "-" for a separator, "[x] " before a
// checked item, "\t" and the shortcut as the item shows it.
inline void Dump(HMENU menu, int depth, std::string& out) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const ItemInfo item = Item(menu, i);
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ');
    if (item.type & MFT_SEPARATOR) {
      out += "-\n";
      continue;
    }
    out += (item.state & MFS_CHECKED) ? "[x] " : "";
    out += item.text + (item.sub ? " >" : "") + "\n";
    if (item.sub) Dump(item.sub, depth + 1, out);
  }
}
inline std::string MenuListing(HWND window) {
  std::string out;
  Dump(GetMenu(window), 0, out);
  return out;
}

// The id of the item reached through those captions (shortcut text
// ignored); 0 when there is none.
inline UINT FindItem(HWND window, const std::vector<std::string>& path) {
  HMENU menu = GetMenu(window);
  for (std::size_t level = 0; level < path.size() && menu; ++level) {
    HMENU next = nullptr;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      const ItemInfo item = Item(menu, i);
      if (item.text.substr(0, item.text.find('\t')) != path[level]) continue;
      if (level + 1 == path.size()) return item.sub ? 0 : item.id;
      next = item.sub;
      break;
    }
    menu = next;
  }
  return 0;
}

// Clicks the item with that caption path; fails the test when it is absent.
inline void Click(HWND window, const std::vector<std::string>& path) {
  const UINT id = FindItem(window, path);
  ASSERT_NE(id, 0u) << path.back();
  SendMessageA(window, WM_COMMAND, id, 0);
}

inline bool Checked(HWND window, const std::vector<std::string>& path) {
  const UINT id = FindItem(window, path);
  return id != 0 && (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Answers the next input box: its caption and text are recorded, then the
// edit line is set to typed and OK pressed (Cancel when typed is null).
struct InputBoxAnswer {
  std::string caption, prompt, preset;
};
inline guitest::Helper AnswerInputBox(InputBoxAnswer& seen, const char* typed) {
  const std::string text = typed ? typed : "";
  const bool ok = typed != nullptr;
  return guitest::Helper([&seen, text, ok] {
    HWND box = guitest::WaitForWindow(GetCurrentProcessId(), gui::kAskClassName, nullptr, 20000);
    if (!box) return;
    seen.caption = guitest::WindowText(box);
    seen.prompt = guitest::WindowText(GetDlgItem(box, IDC_ASK_TEXT));
    seen.preset = guitest::WindowText(GetDlgItem(box, IDC_ASK_EDIT));
    if (ok) {
      SetWindowTextA(GetDlgItem(box, IDC_ASK_EDIT), text.c_str());
      guitest::ClickButton(box, "OK");
    } else {
      guitest::ClickButton(box, "Cancel");
    }
  });
}

// Answers the next common dialog ("#32770"): sets the file name box to
// file and presses OK, or presses Cancel when file is empty.
inline guitest::Helper AnswerFileDialog(const std::string& file) {
  return guitest::Helper([file] {
    HWND dialog = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", nullptr, 20000);
    if (!dialog) return;
    if (file.empty()) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    // The file name box, once the dialog has laid out its controls; the
    // text is set again until it reads back, in case the dialog's own
    // start-up cleared it.
    guitest::WaitUntil([&] { return GetDlgItem(dialog, 0x47C) != nullptr; }, 10000);
    guitest::WaitUntil([&] {
      SetDlgItemTextA(dialog, 0x47C, file.c_str());
      Sleep(50);
      return guitest::WindowText(GetDlgItem(dialog, 0x47C)) == file;
    }, 10000);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
}

// Answers the next "Error" message box, keeping its text.
inline guitest::Helper AnswerErrorBox(std::string& text) {
  return guitest::Helper([&text] {
    HWND box = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", "Error", 20000);
    if (!box) return;
    HWND label = GetDlgItem(box, 0xFFFF);
    text = label ? guitest::WindowText(label) : "";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
}

// What the settings file holds of the options, beside what the window
// keeps of its place and columns.
inline SettingsModel OptionsOf(SettingsModel s) {
  s.window = MainWindowRect{};
  s.placeWindow = false;
  s.topColumnWidths = {};
  s.lowColumnWidths = {};
  s.pickList = PickListPlacement{};
  return s;
}

}  // namespace menutest
