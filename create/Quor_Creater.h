// The creator window: the only window of a process started with
// "-CreateSFVFile" or "-CreateSFVFileS" and a folder. At its first
// activation it builds the folder list (asking about sub-folders), reads the
// creation options from the settings file and starts the creation worker;
// then it shows two progress bars, answers Esc, reports the result and
// ends the process.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Quor_Notify.h"
#include "create/Quor_CreateThread.h"
#include "gui/Handles.h"
#include "gui/Window.h"

inline constexpr char kCreateSwitch[] = "-CreateSFVFile";
inline constexpr char kCreateSpecificSwitch[] = "-CreateSFVFileS";

class TSFVCreater : public gui::Window, private CreateHost {
 public:
  static constexpr char kClassName[] = "TSFVCreater";
  static constexpr char kCaption[] = "Creating SFV file(s)...";
  static constexpr int kClientWidth = 257;
  static constexpr int kClientHeight = 93;

  // args are the command-line arguments after the program name: the switch
  // and the folder. settingsPath is the settings file to read.
  TSFVCreater(std::vector<std::string> args, std::string settingsPath);
  ~TSFVCreater() override;

  bool CreateForm();  // creates the window, centred, not yet shown
  // Makes sure the run starts once the window is shown, also where the
  // system does not activate it (the first activation starts it as well).
  void StartWhenShown();

  // Waits up to timeoutMs for a worker that is still running to end (it has
  // been told to stop when the window closed). True when none runs any more.
  bool WaitForWorkerEnd(int timeoutMs);

  const std::string& createdFilesText() const { return CreatedFilesText; }
  bool abortRequested() const { return IsSet(&CreateAbortFlag); }
  bool haltRequested() const { return IsSet(&CreateHaltFlag); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool OnCreate() override;
  void OnActivate(bool active) override;
  bool OnClose() override;
  void OnDestroy() override;
  bool OnPreviewKey(UINT virtualKey) override;
  void OnCheckNotify(std::uint32_t code, std::uint32_t value) override;
  void OnWorkerDone() override;

 private:
  void FormActivate();
  void FormKeyPress(char key);
  void OnCreateWorkerDone();
  std::string BuildFolderList(const std::string& folder);

  // CreateHost: notices and main-thread steps for the worker.
  void Notify(NotifyCode code, std::uint32_t value) override;
  std::optional<std::string> PickFolderFiles(const std::string& fileListText) override;
  OverwriteAnswer AskOverwrite(const std::string& name) override;
  std::optional<std::string> AskNewName(const std::string& currentName) override;
  void ShowCurrentFile(const std::string& name) override;
  void HandOverCreatedList(const std::string& createdFilesText) override;
  void ShowError(const std::string& text) override;
  void RunEnded() override;

  std::vector<std::string> args_;
  std::string settingsPath_;

  bool FirstActivationDone = false;
  std::string CreatedFilesText;
  std::uint64_t FolderTotalBytes = 0;
  std::uint64_t FolderBytesDone = 0;
  StopFlag CreateAbortFlag{0};
  StopFlag CreateHaltFlag{0};

  HWND folderLabel_ = nullptr;
  HWND folderProgress_ = nullptr;
  HWND fileLabel_ = nullptr;
  HWND fileProgress_ = nullptr;
  HWND statusLabel_ = nullptr;
  gui::UniqueFont boldFont_;

  std::unique_ptr<TSFVCreateThread> worker_;
  std::atomic<bool> workerRunning_{false};
  std::atomic<HWND> notifyWnd_{nullptr};  // this window while a worker may use it
  gui::UniqueKernelHandle workerEnded_;  // manual-reset event, set when the run has ended
};

// The whole creator process: the window, its message loop, and the wait for
// a worker that was stopped by closing. Returns the exit code (always 0).
int RunCreatorProcess(const std::vector<std::string>& args, const std::string& settingsPath);
