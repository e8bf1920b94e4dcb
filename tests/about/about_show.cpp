// Shows one of the update, About and Disclaimer windows for a few seconds,
// so tools/shots-about can photograph it:
//   about_show update|about|disclaimer SECONDS
// The update window asks a server of this program's own on 127.0.0.1.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "HttpTestServer.h"
#include "about/Quor_About.h"
#include "about/Quor_UpdateChk.h"

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
  if (what == "update") {
    testhttp::Server server(200, "vinfo=1.40;");
    about::TSFVUpdateCheck::Options options;
    options.checkAddress = server.Url("/quor/version.txt");
    options.siteAddress = "http://quor.example.org";
    options.waitMs = static_cast<DWORD>(seconds) * 1000;
    about::TSFVUpdateCheck check("1.39", options);
    check.Execute();
    return 0;
  }
  if (what != "about" && what != "disclaimer") return 2;
  // Presses Enter on the window once the time is up.
  std::thread closer([&] {
    Sleep(static_cast<DWORD>(seconds) * 1000);
    HWND window = FindWindowA(about::kTextWindowClassName, nullptr);
    if (window) PostMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
  });
  if (what == "about") {
    about::ShowAbout();
  } else {
    about::ShowDisclaimer();
  }
  closer.join();
  return 0;
}
