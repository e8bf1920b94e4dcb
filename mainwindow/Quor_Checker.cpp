#include "mainwindow/Quor_Checker.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <climits>

#include "about/Quor_Const.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"
#include "gui/Dialogs.h"
#include "picklist/Quor_SpecifikBox.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr COLORREF kWindowColour = RGB(192, 192, 192);  // silver

constexpr char kStatusListHint[] = "Right click for options..";

// Widths of a list's columns by tag; nothing for a tag no column has.
template <std::size_t N>
void CollectWidths(const ResultList& list, std::array<std::optional<std::int32_t>, N>& widths) {
  for (std::size_t i = 0; i < N; ++i) {
    const int tag = static_cast<int>(i) + 1;
    widths[i] = list.HasColumn(tag) ? std::optional<std::int32_t>(list.GetColumnWidth(tag)) : std::nullopt;
  }
}

// Manual widths saved by tag; a negative one (a key that was missing) would
// make the list size the column to its contents, so it is left alone.
template <std::size_t N>
void ApplySavedWidths(ResultList& list, const std::array<std::optional<std::int32_t>, N>& widths) {
  for (std::size_t i = 0; i < N; ++i) {
    if (widths[i] && *widths[i] >= 0) list.SetColumnWidth(static_cast<int>(i) + 1, *widths[i]);
  }
}

// The open dialog's one filter: every kind of list the check reads.
std::string CheckListFilter() {
  std::string filter = "Checksum files";
  filter += '\0';
  filter += ChecksumListPatterns();
  filter += '\0';
  return filter;
}

}  // namespace

TZOZUvavada::TZOZUvavada(std::string settingsPath, std::string programFolder, std::string baseCaption)
    : settingsPath_(std::move(settingsPath)),
      programFolder_(std::move(programFolder)),
      baseCaption_(std::move(baseCaption)),
      queue_(static_cast<WorkerPort&>(*this)) {
  RunProgram = [](const std::string& commandLine) {
    // What WinExec did, with the wide command line.
    std::wstring line = platform::Widen(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  };
  InstallMenuDialogs();
}

TZOZUvavada::~TZOZUvavada() {
  Destroy();
  StopWorker(INFINITE);
  if (WorkerHandle) WorkerHandle->Join();
}

bool TZOZUvavada::StopWorker(DWORD timeoutMs) {
  // Tell a worker to stop, let it past any step it waits on, and wait for
  // it while answering what it still sends (its sends to a window that is
  // gone return at once). It stops at its next safe point: after the block
  // it is hashing, or the progress file it is writing.
  queue_.Closing();
  gate_.RequestStop({&queue_.HaltFlag, &queue_.AbortFlag});
  notifyWnd_ = nullptr;
  if (!WorkerHandle) return true;
  const DWORD start = GetTickCount();
  while (!workerEnded_.load()) {
    if (timeoutMs != INFINITE && GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
  return true;
}

bool TZOZUvavada::CreateForm() {
  settings_ = LoadSettings(settingsPath_);
  queue_.CheckSubFolders = settings_.testSubFolders;
  queue_.ThreadPriority = settings_.threadPriority;
  RECT rect;
  if (settings_.placeWindow) {
    const MainWindowRect& w = settings_.window;
    rect = gui::KeptOnScreen(RECT{w.left, w.top, w.left + w.width, w.top + w.height});
  } else {
    rect = gui::CentredRect(kDesignWidth, kDesignHeight);
  }
  if (!Create(kClassName, baseCaption_.c_str(), kStyle, 0, rect, Taskbar ? Taskbar->hwnd() : nullptr)) return false;
  if (Taskbar) Taskbar->SetMain(hwnd());
  return true;
}

void TZOZUvavada::SetApplicationTitle(const std::string& title) {
  appTitle_ = title;
  if (Taskbar) Taskbar->SetTitle(title);
}

bool TZOZUvavada::OnCreate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  SetClassLongPtrA(hwnd(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(CreateSolidBrush(kWindowColour)));
  listFont_ = gui::MakeFont("MS Sans Serif", -11, true);  // 8 points at 96 dpi, bold
  // A background chosen by the user stays after a restart.
  const std::uint32_t background = settings_.colours.background;
  if (!archiveList_.Create(hwnd(), kArchiveListId, listFont_.get(), background) ||
      !statusList_.Create(hwnd(), kStatusListId, listFont_.get(), background)) {
    return false;
  }
  archiveList_.OnColumnsMoved = [this](const std::string& order) { ArchiveListColumnDragged(order); };
  statusList_.OnColumnsMoved = [this](const std::string& order) { StatusListColumnDragged(order); };
  statusList_.OnContextMenu = [this](POINT at) { ShowStatusListMenu(at); };
  statusList_.OnCtrlKey = [this](UINT key) {
    std::optional<int> command = CommandForShortcut(StatusListMenuTable(), key, true);
    if (command) Openfolder1Click(*command);
    return command.has_value();
  };
  statusTip_ = AddTooltip(hwnd(), statusList_.hwnd(), kStatusListHint);
  progressBar_ = gui::CreateWindowUtf8(0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 10,
                                 kProgressBarHeight, hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressBarId)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageA(progressBar_, PBM_SETRANGE32, 0, 100);
  menuBar_ = BuildMenu(MainMenuTable(), true);
  SetMenu(hwnd(), menuBar_);
  UpdateMenuState();
  ApplyColumnSettings();
  return true;
}

// The column settings as loaded: the Manual widths first (the File Size
// column, created after them, starts at its design width), then the File
// Size column and the two column orders.
void TZOZUvavada::ApplyColumnSettings() {
  if (!settings_.autoColumnResize) {
    ApplySavedWidths(archiveList_, settings_.topColumnWidths);
    ApplySavedWidths(statusList_, settings_.lowColumnWidths);
  }
  SetFileSizeColumn(settings_.showColumnFSize);
  archiveList_.ApplyColumnOrder(settings_.aColumnOrder);
  statusList_.ApplyColumnOrder(settings_.sColumnOrder);
}

LRESULT TZOZUvavada::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (wParam == ProgressTimer) ProgressTimerTimer();
      if (wParam == kRowsTimerId) RowsTimerTimer();
      return 0;
    case WM_QUOR_ROWS:
      StartRowsTimer();
      return 0;
    case WM_QUOR_BYTES:
      CountHandedBytes();
      return 0;
    case WM_QUOR_FIRST_ACTIVATE:
      FormActivate();
      return 0;
    case WM_QUOR_HANDOVER:
      TakeHandOver();
      return 0;
    case WM_COPYDATA:
      FormCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return 0;
    case WM_DROPFILES:
      FormDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_SYSCOMMAND:
      // Minimizing goes to the taskbar button, which hides this window
      // with it (an owned window would shrink to a bar of its own).
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Taskbar) {
        ShowWindow(Taskbar->hwnd(), SW_MINIMIZE);
        return 0;
      }
      return DefaultHandling(msg, wParam, lParam);
    case WM_SETCURSOR:
      if (busy_ && reinterpret_cast<HWND>(wParam) == archiveList_.hwnd() && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        return TRUE;
      }
      return DefaultHandling(msg, wParam, lParam);
    default:
      return gui::Window::HandleMessage(msg, wParam, lParam);
  }
}

void TZOZUvavada::OnCommand(int id, int /*notifyCode*/, HWND control) {
  if (control) return;  // notices of the child controls
  switch (id) {
    case CmdCheckSfv:
      Test1Click();
      break;
    case CmdCheckSpecifik:
      CheckSpecifik1Click();
      break;
    case CmdReCheckLast:
      ReCheckLast1Click();
      break;
    case CmdPause:
      Pause1Click();
      break;
    case CmdSkipSfv:
      SkipSFV1Click();
      break;
    case CmdAbortTest:
      Stop1Click();
      break;
    case CmdHalt:
      Halt1Click();
      break;
    case CmdExit:
      Exit1Click();
      break;
    case CmdCheckSubFolders:
      TestSubfolders1Click();
      break;
    case CmdPriorityIdle:
      PriorityIdle1Click();
      break;
    case CmdPriorityAboveIdle:
      PriorityAIdle1Click();
      break;
    case CmdPriorityBelowNormal:
      PriorityBNormal1Click();
      break;
    case CmdPriorityNormal:
      PriorityNormal1Click();
      break;
    case CmdShowEtaSpeed:
      ShowETASpeed1Click();
      break;
    case CmdClearList:
      ClearList1Click();
      break;
    case CmdSaveList:
      SaveList1Click();
      break;
    case CmdAutoColumns:
      AutoColumn1Click();
      break;
    case CmdManualColumns:
      ManualColumn1Click();
      break;
    case CmdShowFileSize:
      ShowFileSize1Click();
      break;
    case CmdOpenFolder:
    case CmdExploreFolder:
    case CmdEditSfv:
    case CmdReCheckFile:
      Openfolder1Click(id);
      break;
    default:
      if (!MenuOptionClick(id)) return;
      break;
  }
  UpdateMenuState();
}

LRESULT TZOZUvavada::OnNotify(NMHDR* header) {
  const bool archive = archiveList_.hwnd() && header->hwndFrom == archiveList_.hwnd();
  const bool status = statusList_.hwnd() && header->hwndFrom == statusList_.hwnd();
  if ((archive || status) && header->code == LVN_COLUMNCLICK) {
    ShowPendingRows();  // a sort takes in the rows that have come so far
    const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
    if (archive) ArchiveListColumnClick(column);
    if (status) StatusListColumnClick(column);
    return 0;
  }
  if ((archive || status) && header->code == NM_CUSTOMDRAW) {
    return ListCustomDraw(archive ? archiveList_ : statusList_, *reinterpret_cast<NMLVCUSTOMDRAW*>(header));
  }
  LRESULT result = 0;
  if (archiveList_.HandleNotify(header, result) || statusList_.HandleNotify(header, result)) return result;
  return 0;
}

void TZOZUvavada::ArchiveListColumnClick(int column) {
  const std::optional<int> data = archiveList_.DataIndexOfColumn(column);
  if (!data) return;
  ArchiveSortColumn = *data;
  archiveList_.Sort([this](const ResultRow& a, const ResultRow& b) { return ArchiveListCompare(a, b); });
}

void TZOZUvavada::StatusListColumnClick(int column) {
  const std::optional<int> data = statusList_.DataIndexOfColumn(column);
  if (!data) return;
  StatusSortColumn = *data;
  statusList_.Sort([this](const ResultRow& a, const ResultRow& b) { return StatusListCompare(a, b); });
}

bool TZOZUvavada::ArchiveListCompare(const ResultRow& a, const ResultRow& b) const {
  return ResultRows::SortsBefore(a, b, ArchiveSortColumn);
}

bool TZOZUvavada::StatusListCompare(const ResultRow& a, const ResultRow& b) const {
  return ResultRows::SortsBefore(a, b, StatusSortColumn);
}

// The order string is saved with the settings the next time they are saved.
void TZOZUvavada::ArchiveListColumnDragged(const std::string& order) { settings_.aColumnOrder = order; }

void TZOZUvavada::StatusListColumnDragged(const std::string& order) { settings_.sColumnOrder = order; }

LRESULT TZOZUvavada::ListCustomDraw(const ResultList& list, NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return ArchiveListCustomDrawItem(list, draw);
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      return ArchiveListCustomDrawSubItem(list, draw);
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT TZOZUvavada::ArchiveListCustomDrawItem(const ResultList& list, NMLVCUSTOMDRAW& draw) {
  ArchiveListCustomDrawSubItem(list, draw);
  return CDRF_NEWFONT | CDRF_NOTIFYSUBITEMDRAW;  // each sub-item is drawn the same way
}

LRESULT TZOZUvavada::ArchiveListCustomDrawSubItem(const ResultList& list, NMLVCUSTOMDRAW& draw) {
  const DWORD_PTR row = draw.nmcd.dwItemSpec;
  draw.clrText = static_cast<COLORREF>(row <= INT_MAX ? list.RowColour(static_cast<int>(row)) : 0);
  draw.clrTextBk = static_cast<COLORREF>(list.Background());
  return CDRF_NEWFONT;
}

void TZOZUvavada::OnSize(int, int) { FormResize(); }

void TZOZUvavada::FormResize() {
  RECT outer, client;
  if (!archiveList_.hwnd() || !GetWindowRect(hwnd(), &outer) || !GetClientRect(hwnd(), &client)) return;
  const int width = client.right;
  const int barTop = client.bottom - kProgressBarHeight;
  int archiveHeight = (outer.bottom - outer.top) / 2 + 30;
  if (archiveHeight > barTop) archiveHeight = barTop;
  MoveWindow(archiveList_.hwnd(), 0, 0, width, archiveHeight, TRUE);
  MoveWindow(statusList_.hwnd(), 0, archiveHeight, width, barTop > archiveHeight ? barTop - archiveHeight : 0, TRUE);
  MoveWindow(progressBar_, 0, barTop, width, kProgressBarHeight, TRUE);
  if (settings_.autoColumnResize) {
    for (const TagWidth& t : AutoColumnWidths(ListKind::Archive, width, settings_.showColumnFSize)) {
      archiveList_.SetColumnWidth(t.tag, t.width);
    }
    for (const TagWidth& t : AutoColumnWidths(ListKind::Status, width, false)) {
      statusList_.SetColumnWidth(t.tag, t.width);
    }
  }
}

void TZOZUvavada::OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
  info->ptMaxTrackSize = POINT{kMaxWidth, kMaxHeight};
}

bool TZOZUvavada::OnPreviewKey(UINT virtualKey) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  if (!alt) {
    if (std::optional<int> command = CommandForShortcut(MainMenuTable(), virtualKey, ctrl)) {
      OnCommand(*command, 0, nullptr);
      return true;
    }
  }
  if (ctrl || alt) return false;
  if (virtualKey == VK_ESCAPE) {
    FormKeyPress(27);
    return true;
  }
  if (virtualKey == VK_SPACE) {
    FormKeyPress(' ');
    return true;
  }
  return false;
}

void TZOZUvavada::FormKeyPress(char key) {
  queue_.KeyPress(key);
  UpdateMenuState();
}

bool TZOZUvavada::OnClose() {
  FormClose();
  return true;
}

void TZOZUvavada::FormClose() {
  ShowPendingRows();
  queue_.Closing();
  SaveSettingsNow();
}

void TZOZUvavada::OnDestroy() {
  notifyWnd_ = nullptr;
  if (timerOn_) KillTimer(hwnd(), ProgressTimer);
  timerOn_ = false;
  if (rowsTimerOn_) KillTimer(hwnd(), kRowsTimerId);
  rowsTimerOn_ = false;
  if (QuitOnDestroy) PostQuitMessage(0);
}

void TZOZUvavada::ChooseSfvAndCheck(bool specific) {
  gui::FileDialogRequest request;
  request.owner = hwnd();
  request.filter = CheckListFilter();
  request.defaultExt = "sfv";
  request.flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER | OFN_HIDEREADONLY;
  if (!settings_.lastSfvPath.empty()) {
    settings_.lastSfvPath = IncludeTrailingSeparator(settings_.lastSfvPath);
    request.initialFolder = settings_.lastSfvPath;
  }
  const std::optional<std::string> file = gui::RunFileDialog(request);
  if (!file || !platform::FileExists(*file)) return;
  settings_.lastSfvPath = ExtractFilePath(*file);
  SaveSettingsNow();
  queue_.SubmitCheck(*file, false, specific);
}

void TZOZUvavada::Test1Click() { ChooseSfvAndCheck(false); }

void TZOZUvavada::CheckSpecifik1Click() { ChooseSfvAndCheck(true); }

void TZOZUvavada::ReCheckLast1Click() { queue_.ReCheckLast(); }

void TZOZUvavada::Pause1Click() { queue_.TogglePause(); }

void TZOZUvavada::SkipSFV1Click() { queue_.SkipSfv(); }

void TZOZUvavada::Stop1Click() { queue_.AbortTest(); }

void TZOZUvavada::Halt1Click() { queue_.Halt(); }

void TZOZUvavada::Exit1Click() {
  queue_.ExitRequested();
  PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void TZOZUvavada::TestSubfolders1Click() {
  ToggleOptionItem(settings_, CmdCheckSubFolders);
  queue_.CheckSubFolders = settings_.testSubFolders;
  SaveSettingsNow();
}

// Widths follow the window at its next resize.
void TZOZUvavada::AutoColumn1Click() {
  settings_.autoColumnResize = true;
  SaveSettingsNow();
}

void TZOZUvavada::ManualColumn1Click() {
  settings_.autoColumnResize = false;
  SaveSettingsNow();
}

void TZOZUvavada::ShowETASpeed1Click() {
  ToggleOptionItem(settings_, CmdShowEtaSpeed);
  SaveSettingsNow();
}

void TZOZUvavada::ShowFileSize1Click() {
  ToggleOptionItem(settings_, CmdShowFileSize);
  SetFileSizeColumn(settings_.showColumnFSize);
  SaveSettingsNow();
}

void TZOZUvavada::SetPriority(int level) {
  settings_.threadPriority = level;
  queue_.ThreadPriority = level;
  queue_.ApplyThreadPriority();
  SaveSettingsNow();
}

void TZOZUvavada::UpdateMenuState() {
  if (!menuBar_) return;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  std::wstring pause = platform::Widen(std::string(queue_.PauseCaption()) + "\t" + ShortcutText(Shortcut{true, 'P'}));
  info.dwTypeData = pause.data();
  SetMenuItemInfoW(menuBar_, CmdPause, FALSE, &info);
  auto check = [&](int command, bool on) { CheckMenuItem(menuBar_, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
  check(CmdCheckSubFolders, settings_.testSubFolders);
  check(CmdShowEtaSpeed, settings_.showEtaSpeed);
  check(CmdAutoColumns, settings_.autoColumnResize);
  check(CmdManualColumns, !settings_.autoColumnResize);
  check(CmdShowFileSize, settings_.showColumnFSize);
  const int level = settings_.threadPriority >= 0 && settings_.threadPriority <= 3 ? settings_.threadPriority : 2;
  for (int i = 0; i < 4; ++i) check(CmdPriorityIdle + i, i == level);
  check(CmdRenameBadRars, settings_.renameRar);
  check(CmdMakeDummyRars, settings_.makeDummyRar);
  check(CmdSkipKnownGood, settings_.skipKnownGoodFiles);
  const ShellAssociations& a = settings_.explorer;
  check(CmdAssFolderCheck, a.RClickOnFoldersCheck);
  check(CmdAssFolderCheckSpe, a.RClickOnFoldersCheckSpe);
  check(CmdAssFolderCreate, a.RClickOnFoldersCreate);
  check(CmdAssFolderCreateSpe, a.RClickOnFoldersCreateSpe);
  check(CmdAssFileCheck, a.RClickOnFileCheck);
  check(CmdAssFileCheckSpe, a.RClickOnFileCheckSpe);
  const CreateOptions& c = settings_.create;
  check(CmdIncludeFileInfo, c.includeFileInfo);
  check(CmdIncludeNfo, c.includeNfo);
  check(CmdListFilesCreated, c.listFilesCreated);
  DrawMenuBar(hwnd());
}

void TZOZUvavada::SaveSettingsNow() {
  RECT rect;
  if (hwnd() && !IsIconic(hwnd()) && GetWindowRect(hwnd(), &rect)) {
    settings_.window = MainWindowRect{rect.top, rect.left, rect.right - rect.left, rect.bottom - rect.top};
  }
  if (archiveList_.hwnd()) CollectWidths(archiveList_, settings_.topColumnWidths);
  if (statusList_.hwnd()) CollectWidths(statusList_, settings_.lowColumnWidths);
  SaveSettings(settingsPath_, settings_);
}

// ---- progress ----

void TZOZUvavada::OnCheckNotify(std::uint32_t code, std::uint32_t value) {
  CountHandedBytes();  // the bytes done before this notice count before it
  switch (progress_.Apply(code, value)) {
    case NoticeEffect::BusyCursor:
      busy_ = true;
      ShowBusyCursorIfOverList();
      break;
    case NoticeEffect::IdleCursor:
      busy_ = false;
      ShowBusyCursorIfOverList();
      break;
    case NoticeEffect::TimerOn:
      SetTimer(hwnd(), ProgressTimer, 1000, nullptr);  // a new period starts now
      timerOn_ = true;
      break;
    case NoticeEffect::SfvDone:
      KillTimer(hwnd(), ProgressTimer);
      timerOn_ = false;
      SetApplicationTitle(kAppTitle);
      if (SfvDoneShowsBaseCaption(queue_.StartedSfvCount(), queue_.QueuedSfvCount(), IsSet(&queue_.AbortFlag))) {
        gui::SetText(hwnd(), baseCaption_);
      }
      SendMessageA(progressBar_, PBM_SETPOS, 100, 0);
      break;
    case NoticeEffect::NextSfv:
      queue_.CountStartedSfv();
      break;
    case NoticeEffect::None:
      break;
  }
}

void TZOZUvavada::CountHandedBytes() {
  std::uint64_t bytes = bytesHandedOver_.exchange(0);
  while (bytes > 0) {
    const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, 0xFFFFFFFFu));
    progress_.Apply(CN_BYTES_DONE, piece);
    bytes -= piece;
  }
}

void TZOZUvavada::ProgressTimerTimer() {
  CountHandedBytes();
  const TickInput input{queue_.StartedSfvCount(), queue_.QueuedSfvCount(), settings_.showEtaSpeed,
                        IsSet(&queue_.PauseFlag)};
  std::optional<ProgressDisplay> display = TickProgress(progress_, input, baseCaption_);
  if (!display) return;
  SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(display->percent), 0);
  gui::SetText(hwnd(), display->caption);
  SetApplicationTitle(display->title);
  if (Taskbar) {
    const bool paused = IsSet(&queue_.PauseFlag);
    Taskbar->ShowProgress(paused ? gui::TaskbarProgress::Paused
                          : runFoundFaults_ ? gui::TaskbarProgress::Error
                                            : gui::TaskbarProgress::Normal,
                          display->percent);
  }
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TZOZUvavada::ShowBusyCursorIfOverList() {
  POINT point;
  if (!GetCursorPos(&point) || WindowFromPoint(point) != archiveList_.hwnd()) return;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(busy_ ? IDC_WAIT : IDC_ARROW)));
}

// ---- rows ----

void TZOZUvavada::AddFileRow(const FileRow& row) {
  if (row.kind == FileRowKind::Bad || row.kind == FileRowKind::Missing) runFoundFaults_ = true;
  archiveList_.AddRow({row.name, row.path, row.status, row.sizeText}, FileRowColour(row.kind, settings_.colours));
  StartRowsTimer();
}

void TZOZUvavada::AddSfvRow(const SfvRow& row) {
  for (std::vector<std::string>& texts : StatusListTexts(row)) {
    const std::uint32_t colour = SfvRowColour(texts[1], texts[2], settings_.colours);
    statusList_.AddRow(std::move(texts), colour);
  }
  StartRowsTimer();
}

bool TZOZUvavada::TakeHandedRows() {
  const std::vector<RowInbox::Row> rows = handedRows_.TakeAll();
  for (const RowInbox::Row& row : rows) {
    if (const FileRow* file = std::get_if<FileRow>(&row)) {
      AddFileRow(*file);
    } else {
      AddSfvRow(std::get<SfvRow>(row));
    }
  }
  return !rows.empty();
}

void TZOZUvavada::ShowPendingRows() {
  TakeHandedRows();
  // The file rows first: a summary row is never shown before its files.
  archiveList_.Refresh();
  statusList_.Refresh();
}

void TZOZUvavada::StartRowsTimer() {
  if (rowsTimerOn_ || !hwnd()) return;
  rowsTimerOn_ = SetTimer(hwnd(), kRowsTimerId, kRowsRefreshMs, nullptr) != 0;
}

void TZOZUvavada::RowsTimerTimer() {
  if (!TakeHandedRows() && !archiveList_.RefreshDue() && !statusList_.RefreshDue()) {
    KillTimer(hwnd(), kRowsTimerId);  // a tick without rows: the burst is over
    rowsTimerOn_ = false;
    return;
  }
  ShowPendingRows();
}

void TZOZUvavada::SetFileSizeColumn(bool show) {
  const bool shown = archiveList_.HasColumn(kFileSizeTag, kFileSizeCaption);
  if (show && !shown) {
    archiveList_.AddColumn(ArchiveColumnSpecs()[kFileSizeTag - 1]);
    archiveList_.ApplyColumnOrder(settings_.aColumnOrder);
  } else if (!show && shown) {
    archiveList_.DeleteColumn(kFileSizeTag);
  }
  InvalidateRect(archiveList_.hwnd(), nullptr, TRUE);
  FormResize();
}

void TZOZUvavada::ClearList1Click() {
  TakeHandedRows();  // rows that came before the click go with the rest
  archiveList_.Clear();
  statusList_.Clear();
}

void TZOZUvavada::SaveList1Click() {
  ShowPendingRows();
  const std::string text = SaveListText(archiveList_.Rows());
  gui::FileDialogRequest request;
  request.owner = hwnd();
  request.save = true;
  request.filter = std::string("Any file\0*.*\0", 14);
  // No default extension: a name is taken as typed.
  request.initialName = kSaveListDefaultName;
  request.flags = OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER | OFN_HIDEREADONLY;
  const std::string startFolder = settings_.lastSfvPath;
  if (!startFolder.empty() && platform::FolderExists(startFolder)) request.initialFolder = startFolder;
  const std::optional<std::string> file = gui::RunFileDialog(request);
  if (!file) return;
  std::string error;
  if (!WriteFileText(*file, platform::EncodeFileText(text), error)) {
    ShowError(std::string(kSaveListFailure) + error);
  }
}

void TZOZUvavada::ShowStatusListMenu(POINT at) {
  HMENU menu = BuildMenu(StatusListMenuTable(), false);
  const int command = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr));
  DestroyMenu(menu);
  if (command != 0) Openfolder1Click(command);
}

void TZOZUvavada::Openfolder1Click(int command) {
  const std::optional<int> row = statusList_.SelectedRow();
  if (!row) return;
  const std::string sfv = statusList_.Text(*row, 0);
  if (!platform::FileExists(sfv)) return;  // an error row, or a file gone since
  switch (command) {
    case CmdOpenFolder:
      RunProgram(StatusListCommandLine(StatusListAction::OpenFolder, sfv));
      break;
    case CmdExploreFolder:
      RunProgram(StatusListCommandLine(StatusListAction::ExploreFolder, sfv));
      break;
    case CmdEditSfv:
      RunProgram(StatusListCommandLine(StatusListAction::EditSfv, sfv));
      break;
    case CmdReCheckFile:
      SubmitCheck(sfv, false, false);
      break;
    default:
      break;
  }
}

// ---- the worker ----

bool TZOZUvavada::LaunchWorker(const std::string& queueText, platform::ThreadPriority priority) {
  if (WorkerHandle) {
    WorkerHandle->Join();
    WorkerHandle.reset();
  }
  ShowPendingRows();  // every row of the run before stands before the new run's
  gate_.Resume();
  WorkerHandle = std::make_unique<TZERAravoThread>();
  TZERAravoThread& w = *WorkerHandle;
  w.QueueText = queueText;
  w.SkipKnownGood = settings_.skipKnownGoodFiles;
  w.RenameBad = settings_.renameRar;
  w.MakeDummy = settings_.makeDummyRar;
  w.ProgramFolder = programFolder_;
  w.Host = this;
  w.AbortFlag = &queue_.AbortFlag;
  w.HaltFlag = &queue_.HaltFlag;
  w.SkipFlag = &queue_.SkipFlag;
  w.Gate = &gate_;
  notifyWnd_ = hwnd();
  workerEnded_ = false;
  w.Start(priority, [this] {
    workerEnded_ = true;
    if (HWND target = notifyWnd_.load()) PostMessageA(target, gui::WM_QUOR_WORKER_DONE, 0, 0);
  });
  return true;
}

bool TZOZUvavada::PauseWorker() { return gate_.Pause(); }
bool TZOZUvavada::ResumeWorker() { return gate_.Resume(); }
bool TZOZUvavada::SetWorkerPriority(platform::ThreadPriority priority) {
  return WorkerHandle && WorkerHandle->SetPriority(priority);
}

void TZOZUvavada::OnWorkerDone() {
  if (WorkerHandle) {
    WorkerHandle->Join();
    WorkerHandle.reset();
  }
  // The worker has ended: every row and byte count it handed over is here,
  // and the lists end the run showing all of the rows.
  CountHandedBytes();
  ShowPendingRows();
  queue_.OnWorkerDone();
  if (!queue_.Running()) ShowRunEnded();
  UpdateMenuState();
}

void TZOZUvavada::ShowRunEnded() {
  // Whatever the last SFV file did (one that could not be read sends no
  // end notice), the caption, the bar and the title come to rest.
  if (timerOn_) KillTimer(hwnd(), ProgressTimer);
  timerOn_ = false;
  gui::SetText(hwnd(), baseCaption_);
  SetApplicationTitle(kAppTitle);
  SendMessageW(progressBar_, PBM_SETPOS, 100, 0);
  if (Taskbar) Taskbar->ShowProgress(gui::TaskbarProgress::None, 0);
  runFoundFaults_ = false;
}

void TZOZUvavada::Notify(NotifyCode code, std::uint32_t value) {
  HWND target = notifyWnd_.load();
  if (!target) return;
  if (code == CN_BYTES_DONE) {
    // Bytes done only add up: the worker leaves them here and goes on, and
    // the window counts them as soon as it gets to them, and always before
    // the next notice it takes. A small file sends two of these; a round
    // trip to the window's thread for each would cost more than the file.
    if (value != 0 && bytesHandedOver_.fetch_add(value) == 0) PostMessageW(target, WM_QUOR_BYTES, 0, 0);
    return;
  }
  SendMessageA(target, WM_CHECKNOTIFY, code, value);
}

void TZOZUvavada::HandOverRow(RowInbox::Row row) {
  HWND target = notifyWnd_.load();
  if (!target) return;  // the window is going
  if (handedRows_.Add(std::move(row))) PostMessageW(target, WM_QUOR_ROWS, 0, 0);
}

void TZOZUvavada::ReportFile(const FileRow& row) { HandOverRow(row); }

void TZOZUvavada::ReportSfv(const SfvRow& row) { HandOverRow(row); }

std::optional<std::string> TZOZUvavada::PickFiles(const std::string& lines) {
  std::optional<std::string> picked;
  if (HWND target = notifyWnd_.load()) gui::SyncCall(target, [&] { picked = PickLines(target, lines, true); });
  return picked;
}
