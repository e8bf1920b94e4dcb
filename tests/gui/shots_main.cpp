// quor_shots.exe: opens the program's small windows one after the other so
// that tools/shots can photograph them. For each window it writes
// <folder>\ready-<name> once the window is up and closes the window when
// <folder>\done-<name> appears.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>

#include "GuiTestUtil.h"
#include "gui/Dialogs.h"
#include "picklist/Quor_SpecifikBox.h"
#include "platform/fs.h"
#include "res/resource.h"

namespace {

std::string g_folder;

void Touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Waits for the window, tells the photographer, waits for the picture,
// then lets close(window) end it.
void Photograph(const char* name, const char* className, const char* caption, void (*prepare)(HWND),
                void (*close)(HWND)) {
  std::thread([=] {
    HWND w = guitest::WaitForWindow(GetCurrentProcessId(), className, caption);
    if (!w) return;
    if (prepare) prepare(w);
    Sleep(300);
    Touch(g_folder + "ready-" + name);
    guitest::WaitUntil([&] { return platform::FileExists(g_folder + "done-" + name); }, 30000);
    close(w);
  }).detach();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_folder = argv[1];
  if (g_folder.back() != '\\') g_folder += '\\';
  InitCommonControls();

  Photograph(
      "picklist", TChkLBoxForm::kClassName, nullptr,
      [](HWND w) {
        HWND list = GetDlgItem(w, IDC_PICK_LIST);
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(1);
        SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
      },
      [](HWND w) { guitest::ClickButton(w, "Cancel"); });
  PickLines(nullptr,
            "movie.part01.rar 0A1B2C3D\r\nmovie.part02.rar 11223344\r\nmovie.part03.rar 55667788\r\n"
            "movie.nfo 99AABBCC\r\nsample.avi DEADBEEF\r\n",
            true);

  Photograph("overwrite", gui::kAskClassName, "Confirm", nullptr, [](HWND w) { guitest::ClickButton(w, "No"); });
  gui::AskOverwrite(nullptr, "movie.part01.sfv");

  Photograph("query", gui::kAskClassName, "Query", nullptr, [](HWND w) { guitest::ClickButton(w, "Cancel"); });
  gui::InputQuery(nullptr, "Query", "Enter a new SFV filename..", "movie.part01.sfv");
  return 0;
}
