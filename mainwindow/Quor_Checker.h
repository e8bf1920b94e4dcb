// The main window TZOZUvavada: the two result lists and the progress bar,
// the menus, and the check worker it runs through its check queue. The
// queue's logic (CheckQueue) and the progress arithmetic (ProgressCounters)
// live in portable units; this window wires them to the screen, the menus,
// the keys and the worker thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "check/Quor_CheckHost.h"
#include "check/Quor_CheckThread.h"
#include "check/Quor_PauseGate.h"
#include "gui/Handles.h"
#include "gui/TaskbarWindow.h"
#include "gui/Window.h"
#include "mainwindow/Quor_CheckQueue.h"
#include "mainwindow/Quor_CommandLine.h"
#include "mainwindow/Quor_Menus.h"
#include "mainwindow/Quor_Options.h"
#include "mainwindow/Quor_Progress.h"
#include "mainwindow/Quor_ListViews.h"
#include "mainwindow/Quor_ResultModel.h"
#include "settings/Quor_Config.h"

// Control ids of the main window.
inline constexpr int kArchiveListId = 2001;
inline constexpr int kStatusListId = 2002;
inline constexpr int kProgressBarId = 2003;
// Timer ids. The progress display's one-second timer runs while an SFV file
// is hashed.
inline constexpr UINT_PTR ProgressTimer = 1;
// Runs while rows come in: each tick shows the rows that came since the last.
inline constexpr UINT_PTR kRowsTimerId = 2;
inline constexpr UINT kRowsRefreshMs = 200;
// Posted to run the first activation once the window is shown.
inline constexpr UINT WM_QUOR_FIRST_ACTIVATE = WM_APP + 11;
// Posted to itself for each hand-over record taken (the oldest is submitted).
inline constexpr UINT WM_QUOR_HANDOVER = WM_APP + 12;
// Posted by the worker's thread when it hands over a row and none were
// waiting: the rows timer is to run.
inline constexpr UINT WM_QUOR_ROWS = WM_APP + 13;
// Posted by the worker's thread when it leaves bytes done and none were
// waiting to be counted.
inline constexpr UINT WM_QUOR_BYTES = WM_APP + 14;

class TZOZUvavada : public gui::Window, private WorkerPort, private CheckHost {
 public:
  static constexpr char kClassName[] = "TZOZUvavada";
  static constexpr int kDesignWidth = 520;
  static constexpr int kDesignHeight = 376;
  static constexpr int kMinWidth = 520;
  static constexpr int kMinHeight = 375;
  static constexpr int kMaxWidth = 1600;
  static constexpr int kMaxHeight = 1200;
  static constexpr int kProgressBarHeight = 11;

  // settingsPath: the settings file; programFolder: where the "Progress"
  // folder lives (with trailing separator); baseCaption: the caption
  // without progress.
  TZOZUvavada(std::string settingsPath, std::string programFolder, std::string baseCaption);
  ~TZOZUvavada() override;

  // Loads the settings and creates the window (hidden).
  bool CreateForm();
  // The rest of the window's creation, for the program's own main window:
  // writes the Explorer associations from the six check marks, accepts
  // dropped files and deletes progress files older than 7 days. An
  // association error is shown in an "Error" box and ends these steps; the
  // window opens all the same. programPath: the executable's full path.
  void FinishFormCreate(const std::string& programPath);
  // Writes the associations (at start and from the association items); the
  // registry's classes root unless a test puts something else here.
  // Returns "" or the error text.
  std::function<std::string(const std::string& programPath, const ShellAssociations& flags)> ApplyAssociations;

  // The program's taskbar button, which owns this window once set (before
  // CreateForm); none in tests that make the window alone.
  gui::TaskbarWindow* Taskbar = nullptr;

  // The command line (after the program's name) the first activation acts on.
  std::vector<std::string> CommandLineArgs;
  // Makes sure the first activation runs once the window is shown, also
  // where the system does not activate it.
  void StartWhenShown();
  bool FirstActivationDone() const { return firstActivationDone_; }

  // The one entry point for check requests (menu, command line, drops, ...).
  void SubmitCheck(const std::string& path, bool isFolder, bool specific) {
    queue_.SubmitCheck(path, isFolder, specific);
    UpdateMenuState();
  }
  // Destroying the window ends the message loop (off in tests).
  bool QuitOnDestroy = true;

  // True while a worker runs (its thread has not reported its end yet).
  bool WorkerRunning() const { return queue_.Running(); }
  // Stops the worker and waits up to timeoutMs (INFINITE for no limit) for
  // it to end; false when it is still running then.
  bool StopWorker(DWORD timeoutMs);

  // What tests and later parts of the window read.
  const CheckQueue& queue() const { return queue_; }
  const ProgressCounters& progress() const { return progress_; }
  const SettingsModel& settings() const { return settings_; }
  const std::string& BaseCaption() const { return baseCaption_; }
  // The application's title ("Quor", or "Quor - P%" while a check runs).
  const std::string& ApplicationTitle() const { return appTitle_; }
  bool BusyCursorShown() const { return busy_; }
  bool ProgressTimerOn() const { return timerOn_; }
  ResultList& ArchiveList() { return archiveList_; }
  ResultList& StatusList() { return statusList_; }
  // The data (0 caption, k sub-item k) of each list's last clicked column,
  // which its rows are sorted by.
  int ArchiveSortColumn = 0;
  int StatusSortColumn = 0;
  HWND SFVProgressBar() const { return progressBar_; }

  // Rows the worker reports (run on the main thread): each goes into its
  // list's model at once and shows at the next tick of the rows timer.
  void AddFileRow(const FileRow& row);
  void AddSfvRow(const SfvRow& row);
  // Takes every row the worker has handed over and makes both lists show
  // all their rows now. The rows timer does this a few times a second while
  // rows come in; so do the end of a run, a new run, Clear List, Save List,
  // a sort and closing the window.
  void ShowPendingRows();
  bool RowsTimerOn() const { return rowsTimerOn_; }

  // The result lists' columns and commands.
  // Adds or removes ArchiveList's "File Size" column (exactly one while
  // shown, placed by "AColumnOrder"), then lays the window out again.
  void SetFileSizeColumn(bool show);
  void ClearList1Click();
  // Asks for a file and writes the file list to it; a failure shows an
  // "Error" box.
  void SaveList1Click();
  // The four items of StatusList's pop-up menu, on the selected row.
  void Openfolder1Click(int command);
  // Starts the programs of the pop-up menu (WinExec; tests record instead).
  std::function<void(const std::string& commandLine)> RunProgram;
  HWND StatusListTooltip() const { return statusTip_; }

  // What the option items ask for or start outside the window: the colour
  // dialog (nothing after a cancel), the input box, the file dialog of
  // "Include NFO In SFV" and the update check (the association items use
  // ApplyAssociations above). The program's own by default; tests script
  // them.
  std::function<std::optional<std::uint32_t>()> ChooseColour;
  AskTextFn AskText;
  ChooseFileFn ChooseIncludeFile;
  std::function<void(const std::string& version)> StartUpdate;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool OnCreate() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;
  void OnSize(int clientWidth, int clientHeight) override;
  bool OnClose() override;
  void OnDestroy() override;
  bool OnPreviewKey(UINT virtualKey) override;
  void OnCheckNotify(std::uint32_t code, std::uint32_t value) override;
  void OnWorkerDone() override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;
  void OnActivate(bool active) override;

 private:
  // Requests from outside (Quor_HandOver.cpp).
  void FormActivate();
  void FormCopyData(const COPYDATASTRUCT* record);
  void TakeHandOver();
  void FormDropFiles(HDROP drop);

  // The "File" items and the keys; the check queue does the job control
  // behind them.
  void Test1Click();           // "Check SFV"
  void CheckSpecifik1Click();  // "Check Specifik"
  void ReCheckLast1Click();
  void Pause1Click();          // "Pause" / "Resume"
  void SkipSFV1Click();
  void Stop1Click();           // "Abort Test"
  void Halt1Click();           // "!HALT!"
  void Exit1Click();
  void ChooseSfvAndCheck(bool specific);
  void FormKeyPress(char key);
  void FormClose();
  // The "Options" items that shape the window and the worker; the other
  // option items follow below.
  void TestSubfolders1Click();  // "Check Sub-folders"
  void AutoColumn1Click();      // "Resize Columns" > "Auto"
  void ManualColumn1Click();    // "Resize Columns" > "Manual"
  void ShowETASpeed1Click();
  void ShowFileSize1Click();
  // "Set Priority": each item sets its level, 0 Idle .. 3 Normal.
  void PriorityIdle1Click() { SetPriority(0); }
  void PriorityAIdle1Click() { SetPriority(1); }   // "Above Idle"
  void PriorityBNormal1Click() { SetPriority(2); }  // "Below Normal"
  void PriorityNormal1Click() { SetPriority(3); }
  void SetPriority(int level);
  void ProgressTimerTimer();
  void StartRowsTimer();
  void RowsTimerTimer();
  // Moves the rows the worker has handed over into the lists' models; true
  // when there were any.
  bool TakeHandedRows();
  // Counts the bytes done the worker has left into the progress counters.
  void CountHandedBytes();
  // The run is over (no worker left): caption, bar and title at rest.
  void ShowRunEnded();
  // The application's title, on the taskbar button too.
  void SetApplicationTitle(const std::string& title);
  void FormResize();
  void ApplyColumnSettings();
  // The result lists' events. A header click sorts its list once by that
  // column's data, compared as CompareListTexts says; a dragged column
  // changes the list's order string. The custom drawing, shared by both
  // lists, draws each row's texts in the row's colour.
  void ArchiveListColumnClick(int column);
  void StatusListColumnClick(int column);
  bool ArchiveListCompare(const ResultRow& a, const ResultRow& b) const;
  bool StatusListCompare(const ResultRow& a, const ResultRow& b) const;
  void ArchiveListColumnDragged(const std::string& order);
  void StatusListColumnDragged(const std::string& order);
  LRESULT ListCustomDraw(const ResultList& list, NMLVCUSTOMDRAW& draw);  // by drawing stage
  LRESULT ArchiveListCustomDrawItem(const ResultList& list, NMLVCUSTOMDRAW& draw);
  LRESULT ArchiveListCustomDrawSubItem(const ResultList& list, NMLVCUSTOMDRAW& draw);
  void ShowStatusListMenu(POINT screenPoint);
  // Check marks and the "Pause" caption from the state, in one place.
  void UpdateMenuState();
  void SaveSettingsNow();
  void ShowBusyCursorIfOverList();
  // The other option items and the About items (Quor_MenuHandlers.cpp).
  void InstallMenuDialogs();
  // Runs the handler of one of these items; false for a command that is
  // none of them.
  bool MenuOptionClick(int command);
  void RenameBadRars1Click();
  void MakeDummyofBadRars1Click();
  void SkipKnownGoodFiles1Click();
  void IncludeFileInfoInSFV1Click();
  void IncludeNFOInSFV1Click();
  void FileTypesToExclude1Click();
  void SetDefaultSFVFileName1Click();
  void ListFilesCreated1Click();
  void AssOnFolders1Click(int command);  // shared by the six association items
  void Background1Click(int command);    // shared by the five colour items
  void Backtodefault1Click();
  void Disclaimer1Click();
  void About1Click();
  void Checkforupdate1Click();
  // An "Error" message box.
  void ShowError(const std::string& text);

  // WorkerPort: the queue's hold on the worker thread.
  bool LaunchWorker(const std::string& queueText, platform::ThreadPriority priority) override;
  bool PauseWorker() override;
  bool ResumeWorker() override;
  bool SetWorkerPriority(platform::ThreadPriority priority) override;

  // CheckHost: called on the worker thread. Rows and bytes done are handed
  // over without waiting for the window; the other notices and the pick
  // list wait for it.
  void Notify(NotifyCode code, std::uint32_t value) override;
  void ReportFile(const FileRow& row) override;
  void ReportSfv(const SfvRow& row) override;
  std::optional<std::string> PickFiles(const std::string& lines) override;
  void HandOverRow(RowInbox::Row row);

  std::string settingsPath_;
  std::string programFolder_;
  std::string baseCaption_;
  std::string appTitle_ = kAppTitle;
  SettingsModel settings_;

  CheckQueue queue_;
  std::deque<CheckRequest> handOvers_;  // taken from other starts, not yet submitted
  ProgressCounters progress_;
  PauseGate gate_;
  // The check worker: set from its launch until OnWorkerDone has joined it;
  // null when no check runs.
  std::unique_ptr<TZERAravoThread> WorkerHandle;
  std::atomic<HWND> notifyWnd_{nullptr};  // this window, while a worker may send to it
  std::atomic<bool> workerEnded_{true};   // the worker's run is over (set on its thread)
  RowInbox handedRows_;                   // rows from the worker the lists have not taken yet
  std::atomic<std::uint64_t> bytesHandedOver_{0};  // CN_BYTES_DONE values not counted yet

  ResultList archiveList_{std::vector<ColumnSpec>(ArchiveColumnSpecs().begin(),
                                                  ArchiveColumnSpecs().begin() + kArchiveFixedColumns),
                          kArchiveRowLimit};
  ResultList statusList_{StatusColumnSpecs(), kStatusRowLimit};
  HWND statusTip_ = nullptr;
  HWND progressBar_ = nullptr;
  gui::UniqueFont listFont_;
  HMENU menuBar_ = nullptr;
  bool busy_ = false;
  bool runFoundFaults_ = false;  // a bad or missing file in this run (the taskbar shows it)
  bool timerOn_ = false;
  bool rowsTimerOn_ = false;
  bool firstActivationDone_ = false;
};
