// The update check: a thread of its own that shows a small always-on-top
// window, fetches the version document once and shows what it says, then
// closes the window after a while or when the user closes it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "about/Quor_Panel.h"

namespace about {

inline constexpr char kUpdateClassName[] = "TSFVUpdateCheck";
// Control ids of the update window's panels.
enum UpdatePanelId { kUpdateStatusPanelId = 101, kCheckAddressPanelId, kSiteAddressPanelId, kUpdateClosePanelId };

// Opens a web address in the user's browser (the shell's "Open").
using AddressOpener = std::function<void(const std::string& address)>;
void OpenAddress(const std::string& address);

class TSFVUpdateCheck : public gui::Window {
 public:
  // A check of the program's own version document, closing 20 s after the
  // outcome is shown.
  explicit TSFVUpdateCheck(std::string version);

  // Where and how long: the test programs point the check at a server of
  // their own and wait less. The program itself only uses the constructor
  // above.
  struct Options {
    std::string checkAddress;
    std::string siteAddress;
    DWORD waitMs = 20000;
    AddressOpener open = OpenAddress;
  };
  TSFVUpdateCheck(std::string version, Options options);

  // Runs the check on its own thread at normal priority; the thread owns
  // the check and frees it when it ends. False (and nothing started) while
  // another check of this process is starting or running.
  static bool Start(std::unique_ptr<TSFVUpdateCheck> check);
  // True from Start until the check's window is gone.
  static bool Running();

  // The whole run on the calling thread: window, request, outcome, waiting,
  // window gone.
  void Execute();

 protected:
  void OnCommand(int id, int notifyCode, HWND control) override;
  bool OnClose() override;

 private:
  void BuildWindow();
  void WaitUntilDone();

  std::string version_;
  Options options_;
  bool updateDone_ = false;
  gui::UniqueFont font_;
  Panel updateStatusPanel_;
  Panel checkAddressPanel_;
  Panel siteAddressPanel_;
  Panel updateClosePanel_;
};

// Starts a check of version against the program's version document unless
// an update window ("Checking for update") is open already. True when a
// check was started.
bool StartUpdateCheck(const std::string& version);

}  // namespace about
