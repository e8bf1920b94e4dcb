// The pick list: a small modal window, "File Selector..", that shows lines
// with a check box each (all checked at first) and hands back the lines the
// user leaves checked. Runs on the window thread only; workers reach it
// through gui::SyncCall (see PickLines).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "gui/Handles.h"
#include "gui/Window.h"
#include "settings/Quor_Config.h"

// Where pick lists open (the settings model's PickListPlacement; -1 means
// "not set"). One value for the whole process, read from the settings file
// at start and written back at the end.
PickListPlacement& CurrentPickListPlacement();
// Reads the four "ChkBox" keys of "WindowSizes" (default -1 each).
void LoadCurrentPickListPlacement(const std::string& settingsPath);
// Writes the four numbers back, in the order left, top, width, height.
void SaveCurrentPickListPlacement(const std::string& settingsPath);

// Button geometry of the pick list for an outer size W x H and client width C.
struct PickBox {
  int left, top, width, height;
};
struct PickListLayout {
  PickBox list;
  PickBox buttons[6];  // Check Selected, UnCheck Selected, Check All, UnCheck All, OK, Cancel
};
PickListLayout ComputePickListLayout(int outerWidth, int outerHeight, int clientWidth);

class TChkLBoxForm : public gui::Window {
 public:
  static constexpr char kClassName[] = "TChkLBoxForm";
  static constexpr char kCaption[] = "File Selector..";
  static constexpr int kDesignSize = 250;

  // Creates the (hidden) window, owned by owner, at the remembered place or
  // centred at its design size.
  bool CreateForm(HWND owner);

  // Set before LoadItems: show each line without its last nine characters.
  bool HideCrcSuffix = false;

  void LoadItems(const std::string& text);
  std::string GetCheckedItems() const;
  void ClearItems();
  gui::ModalResult Run();  // shows the window modally over its owner

  HWND list() const { return list_; }
  const std::vector<std::string>& itemLines() const { return ItemLines; }

 protected:
  bool OnCreate() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  void OnSize(int clientWidth, int clientHeight) override;
  void OnActivate(bool active) override;
  void OnDestroy() override;
  bool OnPreviewKey(UINT virtualKey) override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;

 private:
  void FormResize();
  void ChkAllClick(bool check);
  void ChkSelClick(bool check);
  void SetCheck(int index, bool check);

  std::vector<std::string> ItemLines;
  HWND owner_ = nullptr;
  HWND list_ = nullptr;
  HWND buttons_[6] = {};
  gui::UniqueFont font_;
};

// The whole caller sequence on the window thread: create the form owned by
// owner, load lines, show it, read the checked lines, clear and destroy.
// Returns the checked lines (each with CR LF) when closed with OK, nothing
// when cancelled.
std::optional<std::string> PickLines(HWND owner, const std::string& lines, bool hideCrcSuffix);
