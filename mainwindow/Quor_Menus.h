// Menus as tables that read like the menus themselves: each entry has a
// caption, a command and an optional shortcut, or sub-entries. The same
// table gives the menu bar and the shortcut keys, so a command added to the
// table gets its key with it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "mainwindow/Quor_Commands.h"

struct Shortcut {
  bool ctrl = false;
  UINT key = 0;  // virtual-key code; 0 for none
};

struct MenuEntry {
  const char* caption = nullptr;  // nullptr: a separator
  int command = CmdNone;
  Shortcut shortcut;
  std::vector<MenuEntry> items;  // a sub-menu when not empty
};

// The main window's menu bar.
const std::vector<MenuEntry>& MainMenuTable();
// The pop-up menu of StatusList; its shortcuts work while the list has the
// focus.
const std::vector<MenuEntry>& StatusListMenuTable();

// "Ctrl+T", "F5", ... ("" for none).
std::string ShortcutText(const Shortcut& shortcut);

// Builds the menu bar (or a pop-up) of a table; captions show their shortcuts.
HMENU BuildMenu(const std::vector<MenuEntry>& table, bool bar);

// The command whose shortcut is that key with that Ctrl state, if any.
std::optional<int> CommandForShortcut(const std::vector<MenuEntry>& table, UINT key, bool ctrl);
