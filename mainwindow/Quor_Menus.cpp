#include "mainwindow/Quor_Menus.h"

namespace {

MenuEntry Item(const char* caption, int command, Shortcut shortcut = {}) {
  return MenuEntry{caption, command, shortcut, {}};
}
MenuEntry Sub(const char* caption, std::vector<MenuEntry> items) { return MenuEntry{caption, CmdNone, {}, std::move(items)}; }
MenuEntry Separator() { return MenuEntry{}; }
Shortcut Ctrl(char letter) { return Shortcut{true, static_cast<UINT>(letter)}; }

}  // namespace

const std::vector<MenuEntry>& MainMenuTable() {
  static const std::vector<MenuEntry> table = {
      Sub("File",
          {
              Item("Check SFV", CmdCheckSfv, Ctrl('T')),
              Item("Check Specifik", CmdCheckSpecifik),
              Item("ReCheck Last", CmdReCheckLast, Shortcut{false, VK_F5}),
              Item("Clear List", CmdClearList, Ctrl('C')),
              Item("Save List", CmdSaveList),
              Separator(),
              Item("Pause", CmdPause, Ctrl('P')),
              Item("Skip SFV", CmdSkipSfv, Ctrl('S')),
              Item("Abort Test", CmdAbortTest, Ctrl('A')),
              Item("!HALT!", CmdHalt, Ctrl('H')),
              Separator(),
              Item("Exit", CmdExit, Ctrl('Q')),
          }),
      Sub("Options",
          {
              Item("Rename Bad Rar(s)", CmdRenameBadRars),
              Item("Make Dummy of Bad Rar(s)", CmdMakeDummyRars),
              Item("Check Sub-folders", CmdCheckSubFolders),
              Item("Skip Known Good Files", CmdSkipKnownGood),
              Separator(),
              Sub("Resize Columns", {Item("Auto", CmdAutoColumns), Item("Manual", CmdManualColumns)}),
              Sub("Colors",
                  {
                      Item("Back to default", CmdColorsDefault),
                      Separator(),
                      Item("Background", CmdColorBackground),
                      Item("'OK' Files", CmdColorOk),
                      Item("'Bad' Files", CmdColorBad),
                      Item("'Missing' Files", CmdColorMissing),
                      Item("'Known good' Files", CmdColorKnownGood),
                  }),
              Sub("Set Priority",
                  {
                      Item("Idle", CmdPriorityIdle),
                      Item("Above Idle", CmdPriorityAboveIdle),
                      Item("Below Normal", CmdPriorityBelowNormal),
                      Item("Normal", CmdPriorityNormal),
                  }),
              Sub("Set Associations",
                  {
                      Sub("On Folders",
                          {
                              Item("SFV Check Folder", CmdAssFolderCheck),
                              Item("SFV Check Specifik in Folder", CmdAssFolderCheckSpe),
                              Item("Create SFV in Folder", CmdAssFolderCreate),
                              Item("Create Specifik SFV in Folder", CmdAssFolderCreateSpe),
                          }),
                      Sub("On SFV Files",
                          {
                              Item("Check SFV File", CmdAssFileCheck),
                              Item("Check Specifik Files", CmdAssFileCheckSpe),
                          }),
                  }),
              Sub("Misc", {Item("Show ETA/Speed", CmdShowEtaSpeed), Item("Show File Size", CmdShowFileSize)}),
          }),
      Sub("Create Options",
          {
              Item("Include File Info In SFV", CmdIncludeFileInfo),
              Item("Include NFO In SFV", CmdIncludeNfo),
              Item("File Types To Exclude", CmdFileTypesToExclude),
              Item("Set Default SFV File Name", CmdSetDefaultSfvName),
              Item("List Files Created", CmdListFilesCreated),
          }),
      Sub("About",
          {
              Item("Disclaimer", CmdDisclaimer),
              Item("About", CmdAbout),
              Separator(),
              Item("Check for update", CmdCheckForUpdate),
          }),
  };
  return table;
}

const std::vector<MenuEntry>& StatusListMenuTable() {
  static const std::vector<MenuEntry> table = {
      Item("Open folder", CmdOpenFolder, Ctrl('O')),
      Item("Explore folder", CmdExploreFolder, Ctrl('X')),
      Item("Edit sfv file", CmdEditSfv, Ctrl('E')),
      Item("ReCheck file", CmdReCheckFile, Ctrl('R')),
  };
  return table;
}

std::string ShortcutText(const Shortcut& shortcut) {
  if (shortcut.key == 0) return "";
  std::string key;
  if (shortcut.key >= VK_F1 && shortcut.key <= VK_F24) {
    key = "F" + std::to_string(shortcut.key - VK_F1 + 1);
  } else {
    key = std::string(1, static_cast<char>(shortcut.key));
  }
  return shortcut.ctrl ? "Ctrl+" + key : key;
}

HMENU BuildMenu(const std::vector<MenuEntry>& table, bool bar) {
  HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
  for (const MenuEntry& entry : table) {
    if (!entry.caption) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else if (!entry.items.empty()) {
      AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(BuildMenu(entry.items, false)),
                  entry.caption);
    } else {
      std::string text = entry.caption;
      const std::string keys = ShortcutText(entry.shortcut);
      if (!keys.empty()) text += "\t" + keys;
      AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(entry.command), text.c_str());
    }
  }
  return menu;
}

std::optional<int> CommandForShortcut(const std::vector<MenuEntry>& table, UINT key, bool ctrl) {
  for (const MenuEntry& entry : table) {
    if (!entry.items.empty()) {
      if (std::optional<int> found = CommandForShortcut(entry.items, key, ctrl)) return found;
    } else if (entry.caption && entry.shortcut.key == key && entry.shortcut.ctrl == ctrl) {
      return entry.command;
    }
  }
  return std::nullopt;
}
