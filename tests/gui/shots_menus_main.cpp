// quor_shots_menus.exe KEYS SECONDS: shows the main window (fresh settings in
// a temporary folder), opens its menu bar as the Alt key does and walks it
// with the arrow keys in KEYS (R right, L left, D down, U up), keeps the
// menus open for SECONDS so that tools/shots-menus can photograph them, then
// closes everything.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "mainwindow/Quor_Checker.h"
#include "platform/fs.h"

int main(int argc, char** argv) {
  const std::string keys = argc > 1 ? argv[1] : "D";
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "quor-shots-menus-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string settings = folder + "ZERAravo.dat";
  WriteSettingInt(settings, "WindowSizes", "WinPosX", 40);  // top
  WriteSettingInt(settings, "WindowSizes", "WinPosY", 40);  // left
  WriteSettingInt(settings, "WindowSizes", "WinSizeX", 620);
  WriteSettingInt(settings, "WindowSizes", "WinSizeY", 460);
  WriteSettingBool(settings, "System", "RenameRAR", true);  // one more mark to see
  {
    TZOZUvavada window(settings, folder, "Quor");
    window.QuitOnDestroy = true;
    if (!window.CreateForm()) return 1;
    ShowWindow(window.hwnd(), SW_SHOW);
    UpdateWindow(window.hwnd());
    HWND hwnd = window.hwnd();
    std::thread walker([hwnd, keys, seconds] {
      Sleep(500);
      PostMessageA(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
      Sleep(300);
      for (char k : keys) {
        const UINT vk = k == 'R' ? VK_RIGHT : k == 'L' ? VK_LEFT : k == 'U' ? VK_UP : VK_DOWN;
        PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
        PostMessageA(hwnd, WM_KEYUP, vk, 1u | (1u << 30) | (1u << 31));
        Sleep(150);
      }
      Sleep(static_cast<DWORD>(seconds) * 1000);
      for (int i = 0; i < 5; ++i) {
        PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        Sleep(100);
      }
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
    });
    gui::RunMessageLoop();
    walker.join();
  }
  DeleteFileA(settings.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
