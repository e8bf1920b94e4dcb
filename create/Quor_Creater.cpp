#include "create/Quor_Creater.h"

#include <commctrl.h>

#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"
#include "gui/Dialogs.h"
#include "picklist/Quor_SpecifikBox.h"
#include "platform/fs.h"
#include "res/resource.h"
#include "settings/Quor_Config.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
// Posted at the first activation: the run starts once the window is up.
constexpr UINT WM_CREATER_START = WM_APP + 10;

HMENU Id(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  return gui::CreateWindowUtf8(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, Id(id),
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TSFVCreater::TSFVCreater(std::vector<std::string> args, std::string settingsPath)
    : args_(std::move(args)),
      settingsPath_(std::move(settingsPath)),
      workerEnded_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

TSFVCreater::~TSFVCreater() {
  CreateAbortFlag = 1;
  CreateHaltFlag = 1;
  Destroy();
  if (worker_) worker_->Join();
}

bool TSFVCreater::CreateForm() {
  const SIZE outer = gui::OuterSizeForClient(kClientWidth, kClientHeight, kStyle, kExStyle);
  return Create(kClassName, kCaption, kStyle, kExStyle, gui::KeptOnScreen(gui::CentredRect(outer.cx, outer.cy)));
}

bool TSFVCreater::OnCreate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  boldFont_ = gui::MakeFont("MS Sans Serif", -11, true);
  FirstActivationDone = false;

  folderLabel_ = MakeChild(hwnd(), "STATIC", "Folders Done", SS_CENTER, 0, 3, 257, 13, IDC_CREATE_FOLDER_LABEL);
  folderProgress_ = MakeChild(hwnd(), "msctls_progress32", "", 0, 8, 20, 241, 16, IDC_CREATE_FOLDER_PROGRESS);
  fileLabel_ = MakeChild(hwnd(), "STATIC", "Files Done", SS_CENTER, 0, 43, 257, 13, IDC_CREATE_FILE_LABEL);
  fileProgress_ = MakeChild(hwnd(), "msctls_progress32", "", 0, 8, 60, 241, 16, IDC_CREATE_FILE_PROGRESS);
  statusLabel_ = MakeChild(hwnd(), "STATIC", "", SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS, 0,
                           kClientHeight - 13, kClientWidth, 13, IDC_CREATE_STATUS);
  for (HWND label : {folderLabel_, fileLabel_, statusLabel_}) {
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  }
  SendMessageA(folderProgress_, PBM_SETRANGE32, 0, 1);
  SendMessageA(fileProgress_, PBM_SETRANGE32, 0, 100);
  return folderLabel_ && folderProgress_ && fileLabel_ && fileProgress_ && statusLabel_;
}

LRESULT TSFVCreater::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATER_START) {
    FormActivate();
    return 0;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

void TSFVCreater::OnActivate(bool active) {
  if (active && !FirstActivationDone) PostMessageA(hwnd(), WM_CREATER_START, 0, 0);
}

void TSFVCreater::StartWhenShown() { PostMessageA(hwnd(), WM_CREATER_START, 0, 0); }

void TSFVCreater::FormActivate() {
  if (FirstActivationDone) return;
  FirstActivationDone = true;
  CreateAbortFlag = 0;
  CreateHaltFlag = 0;
  CreatedFilesText.clear();

  const std::string argument = args_.size() > 1 ? args_[1] : std::string();
  const std::string folder = IncludeTrailingSeparator(ExpandShortPath(argument));
  if (argument.empty() || !platform::FolderExists(folder)) {
    DestroyWindow(hwnd());
    return;
  }
  const std::string folderList = BuildFolderList(folder);
  if (!hwnd()) return;  // closed while the question was open

  worker_ = std::make_unique<TSFVCreateThread>(static_cast<CreateHost&>(*this));
  TSFVCreateThread& w = *worker_;
  w.FolderListText = folderList;
  w.SpecificMode = !args_.empty() && args_[0] == kCreateSpecificSwitch;
  const CreateOptions options = LoadCreateOptions(settingsPath_);
  w.DefaultFileName = options.defaultFileName;
  w.IncludeFileInfo = options.includeFileInfo;
  w.IncludeNFO = options.includeNfo;
  w.IncludeFile = options.includeFile;
  w.ExcludeTypes = options.excludeTypes;
  w.CreateAbortFlag = &CreateAbortFlag;
  w.CreateHaltFlag = &CreateHaltFlag;
  notifyWnd_ = hwnd();
  workerRunning_ = true;
  w.Start(platform::ThreadPriority::Normal);
}

std::string TSFVCreater::BuildFolderList(const std::string& folder) {
  std::string list = folder + kCrLf;
  if (ListSubFolders(folder, false).empty()) return list;
  const int answer = gui::MessageBoxUtf8(hwnd(), "Create Sfv-Files for sub-folders as well?", "Confirm",
                                 MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES) list += ListSubFolders(folder, true);
  return list;
}

bool TSFVCreater::OnPreviewKey(UINT virtualKey) {
  if (virtualKey != VK_ESCAPE) return false;
  FormKeyPress(27);
  return true;
}

void TSFVCreater::FormKeyPress(char key) {
  if (key != 27) return;
  if (!IsSet(&CreateAbortFlag)) {
    const int answer = gui::MessageBoxUtf8(hwnd(), "Abort?", "Confirmation", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
    // A second Esc may have come in while the box was open; keep a Yes.
    if (answer == IDYES) CreateAbortFlag = 1;
  } else {
    CreateHaltFlag = 1;
  }
}

bool TSFVCreater::OnClose() {
  CreateAbortFlag = 1;
  CreateHaltFlag = 1;
  return true;
}

void TSFVCreater::OnDestroy() {
  notifyWnd_ = nullptr;  // from now on the worker's notices and steps go nowhere
  CreateAbortFlag = 1;
  CreateHaltFlag = 1;
  PostQuitMessage(0);
}

void TSFVCreater::OnCheckNotify(std::uint32_t code, std::uint32_t value) {
  switch (code) {
    case CN_SFV_BEGIN:
      FolderTotalBytes = 0;
      FolderBytesDone = 0;
      break;
    case CN_TOTAL_HI:
      FolderTotalBytes = (FolderTotalBytes & 0xFFFFFFFFull) | (std::uint64_t{value} << 32);
      break;
    case CN_TOTAL_LO:
      FolderTotalBytes = (FolderTotalBytes & ~0xFFFFFFFFull) | value;
      break;
    case CN_BYTES_DONE: {
      FolderBytesDone += value;
      // A folder of empty files has no percentage: its bar stays empty.
      std::uint64_t percent = FolderTotalBytes == 0 ? 0 : FolderBytesDone * 100 / FolderTotalBytes;
      if (percent > 100) percent = 100;
      SendMessageA(fileProgress_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
      break;
    }
    case CN_FOLDER_COUNT:
      SendMessageA(folderProgress_, PBM_SETRANGE32, 0, value);
      break;
    case CN_NEXT_FOLDER: {
      const auto position = SendMessageA(folderProgress_, PBM_GETPOS, 0, 0);
      SendMessageA(folderProgress_, PBM_SETPOS, static_cast<WPARAM>(position + 1), 0);
      break;
    }
    default:
      break;
  }
}

void TSFVCreater::OnWorkerDone() { OnCreateWorkerDone(); }

void TSFVCreater::OnCreateWorkerDone() {
  if (worker_) worker_->Join();
  workerRunning_ = false;
  gui::SetText(statusLabel_, "Done!");
  UpdateWindow(hwnd());
  if (LoadListFilesCreated(settingsPath_)) {
    const std::string text = CreatedFilesText.empty()
                                 ? std::string("No files where created..")
                                 : "The following file(s) where created..\r\n\r\n" + CreatedFilesText;
    gui::MessageBoxUtf8(hwnd(), text.c_str(), "Information", MB_OK | MB_ICONINFORMATION);
  }
  DestroyWindow(hwnd());
}

bool TSFVCreater::WaitForWorkerEnd(int timeoutMs) {
  if (!worker_) return true;
  if (WaitForSingleObject(workerEnded_.get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  worker_->Join();
  return true;
}

// --- CreateHost: called on the worker thread ---------------------------------

void TSFVCreater::Notify(NotifyCode code, std::uint32_t value) {
  if (HWND w = notifyWnd_.load()) SendMessageA(w, WM_CHECKNOTIFY, code, value);
}

std::optional<std::string> TSFVCreater::PickFolderFiles(const std::string& fileListText) {
  std::optional<std::string> picked;
  gui::SyncCall(notifyWnd_.load(), [&] { picked = PickLines(hwnd(), fileListText, false); });
  return picked;
}

OverwriteAnswer TSFVCreater::AskOverwrite(const std::string& name) {
  OverwriteAnswer answer = OverwriteAnswer::Closed;
  gui::SyncCall(notifyWnd_.load(), [&] {
    switch (gui::AskOverwrite(hwnd(), name)) {
      case gui::OverwriteAnswer::Yes: answer = OverwriteAnswer::Yes; break;
      case gui::OverwriteAnswer::No: answer = OverwriteAnswer::No; break;
      case gui::OverwriteAnswer::NoToAll: answer = OverwriteAnswer::NoToAll; break;
      case gui::OverwriteAnswer::YesToAll: answer = OverwriteAnswer::YesToAll; break;
    }
  });
  return answer;
}

std::optional<std::string> TSFVCreater::AskNewName(const std::string& currentName) {
  std::optional<std::string> name;
  gui::SyncCall(notifyWnd_.load(), [&] { name = gui::InputQuery(hwnd(), kNewNameCaption, kNewNamePrompt, currentName); });
  return name;
}

void TSFVCreater::ShowCurrentFile(const std::string& name) {
  gui::SyncCall(notifyWnd_.load(), [&] { gui::SetText(statusLabel_, name); });
}

void TSFVCreater::HandOverCreatedList(const std::string& createdFilesText) {
  gui::SyncCall(notifyWnd_.load(), [&] { CreatedFilesText = createdFilesText; });
}

void TSFVCreater::ShowError(const std::string& text) {
  gui::MessageBoxUtf8(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_ICONERROR | MB_TOPMOST);
}

void TSFVCreater::RunEnded() {
  SetEvent(workerEnded_.get());
  if (HWND w = notifyWnd_.load()) PostMessageA(w, gui::WM_QUOR_WORKER_DONE, 0, 0);
}

int RunCreatorProcess(const std::vector<std::string>& args, const std::string& settingsPath) {
  // Left to the system at exit when its worker cannot be stopped in time
  // (an "Error" box of the worker is still open): the process must not hang.
  auto* form = new TSFVCreater(args, settingsPath);
  if (!form->CreateForm()) {
    delete form;
    return 0;
  }
  ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(form->hwnd());
  form->StartWhenShown();
  gui::RunMessageLoop();
  if (form->WaitForWorkerEnd(5000)) delete form;
  return 0;
}
