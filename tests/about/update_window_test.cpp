#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "GuiTestUtil.h"
#include "HttpTestServer.h"
#include "about/Quor_AboutText.h"
#include "about/Quor_UpdateChk.h"

namespace about {
namespace {

using Clock = std::chrono::steady_clock;

struct Opened {
  std::mutex guard;
  std::vector<std::string> addresses;
  std::vector<std::string> Get() {
    std::lock_guard<std::mutex> lock(guard);
    return addresses;
  }
};

// Starts a check of version "1.39" against url and waits for its window.
HWND StartCheck(const std::string& url, DWORD waitMs, Opened* opened = nullptr) {
  TSFVUpdateCheck::Options options;
  options.checkAddress = url;
  options.siteAddress = "http://quor.example.org";
  options.waitMs = waitMs;
  options.open = [opened](const std::string& address) {
    if (!opened) return;
    std::lock_guard<std::mutex> lock(opened->guard);
    opened->addresses.push_back(address);
  };
  EXPECT_TRUE(TSFVUpdateCheck::Start(std::make_unique<TSFVUpdateCheck>("1.39", std::move(options))));
  return guitest::WaitForWindow(GetCurrentProcessId(), kUpdateClassName, kUpdateCaption);
}

std::string Status(HWND window) { return guitest::WindowText(GetDlgItem(window, kUpdateStatusPanelId)); }

// Waits until the request is over and returns what the window shows.
std::string Outcome(HWND window) {
  guitest::WaitUntil([&] { return Status(window) != kConnectingText; });
  return Status(window);
}

void Click(HWND window, int panelId) {
  HWND panel = GetDlgItem(window, panelId);
  PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// The window is gone and the next check may start.
bool Ended(int timeoutMs = 10000) {
  // Other test programs may show update windows of their own meanwhile.
  return guitest::WaitUntil([] { return !TSFVUpdateCheck::Running(); }, timeoutMs) &&
         guitest::WaitForNoWindow(GetCurrentProcessId(), kUpdateClassName, 0);
}

RECT ChildRect(HWND window, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(window, id), &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(RECT a, RECT b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(UpdateWindow, ShowsTheNewVersionAndClosesOnClose) {
  testhttp::Server server(200, "<html><body>\r\nVInfo=1.40;\r\n</body></html>");
  HWND window = StartCheck(server.Url("/quor/version.txt"), 60000);
  ASSERT_TRUE(window);
  EXPECT_EQ(Outcome(window), "Update available.. ( Version 1.40 )");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.LastHeader("Referer"), "UpdateCheck_1.39");
  EXPECT_EQ(server.Requests()[0].rfind("GET /quor/version.txt ", 0), 0u);

  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 215);
  EXPECT_EQ(client.bottom, 76);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_TRUE(SameRect(ChildRect(window, kUpdateStatusPanelId), RECT{5, 5, 210, 30}));
  EXPECT_TRUE(SameRect(ChildRect(window, kCheckAddressPanelId), RECT{60, 36, 210, 53}));
  EXPECT_TRUE(SameRect(ChildRect(window, kSiteAddressPanelId), RECT{60, 54, 210, 71}));
  EXPECT_TRUE(SameRect(ChildRect(window, kUpdateClosePanelId), RECT{5, 36, 60, 71}));
  EXPECT_EQ(guitest::WindowText(GetDlgItem(window, kCheckAddressPanelId)), server.Url("/quor/version.txt"));
  EXPECT_EQ(guitest::WindowText(GetDlgItem(window, kSiteAddressPanelId)), "http://quor.example.org");
  EXPECT_EQ(guitest::WindowText(GetDlgItem(window, kUpdateClosePanelId)), "Close");

  Click(window, kUpdateClosePanelId);
  EXPECT_TRUE(Ended(5000));
}

TEST(UpdateWindow, SameVersionErrorStatusAndNoServer) {
  struct Case {
    int status;
    const char* body;
    const char* shown;
  } cases[] = {
      {200, "vinfo=1.39;", "No update available"},
      {200, "no version here", "Cant find version info.."},
      {404, "vinfo=1.40;", "Cant connect to server.."},
  };
  for (const Case& c : cases) {
    testhttp::Server server(c.status, c.body);
    HWND window = StartCheck(server.Url(), 60000);
    ASSERT_TRUE(window);
    EXPECT_EQ(Outcome(window), c.shown) << c.body;
    PostMessageA(window, WM_CLOSE, 0, 0);  // the close box ends the wait as well
    ASSERT_TRUE(Ended(5000));
  }
  HWND window = StartCheck(testhttp::ClosedPortUrl(), 60000);
  ASSERT_TRUE(window);
  EXPECT_EQ(Outcome(window), "Cant connect to server..");
  Click(window, kUpdateClosePanelId);
  EXPECT_TRUE(Ended(5000));
}

TEST(UpdateWindow, SecondCheckWhileOpenStartsNothing) {
  testhttp::Server server(200, "vinfo=1.39;");
  HWND window = StartCheck(server.Url(), 60000);
  ASSERT_TRUE(window);
  EXPECT_EQ(Outcome(window), "No update available");
  EXPECT_FALSE(StartUpdateCheck("1.39"));
  TSFVUpdateCheck::Options options;
  options.checkAddress = server.Url();
  EXPECT_FALSE(TSFVUpdateCheck::Start(std::make_unique<TSFVUpdateCheck>("1.39", options)));
  Sleep(300);
  EXPECT_EQ(server.Requests().size(), 1u);
  int windows = 0;
  for (HWND w = FindWindowA(kUpdateClassName, nullptr); w; w = FindWindowExA(nullptr, w, kUpdateClassName, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) ++windows;
  }
  EXPECT_EQ(windows, 1);
  Click(window, kUpdateClosePanelId);
  EXPECT_TRUE(Ended(5000));
}

TEST(UpdateWindow, AddressPanelsOpenTheirAddressesAndTheWindowStays) {
  testhttp::Server server(200, "vinfo=1.39;");
  Opened opened;
  HWND window = StartCheck(server.Url("/v.txt"), 60000, &opened);
  ASSERT_TRUE(window);
  Outcome(window);
  Click(window, kCheckAddressPanelId);
  Click(window, kSiteAddressPanelId);
  ASSERT_TRUE(guitest::WaitUntil([&] { return opened.Get().size() == 2; }, 5000));
  EXPECT_EQ(opened.Get()[0], server.Url("/v.txt"));
  EXPECT_EQ(opened.Get()[1], "http://quor.example.org/ZOZUvavada/");
  // A press without a release on the panel is no click.
  PostMessageA(GetDlgItem(window, kUpdateClosePanelId), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  Sleep(200);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(TSFVUpdateCheck::Running());
  Click(window, kUpdateClosePanelId);
  EXPECT_TRUE(Ended(5000));
}

TEST(UpdateWindow, GoesAwayByItselfAfterTheWait) {
  testhttp::Server server(200, "vinfo=1.39;");
  HWND window = StartCheck(server.Url(), 1500);
  ASSERT_TRUE(window);
  EXPECT_EQ(Outcome(window), "No update available");
  const Clock::time_point shown = Clock::now();
  EXPECT_TRUE(Ended(10000));
  EXPECT_GE(Clock::now() - shown, std::chrono::milliseconds(1000));
}

TEST(UpdateWindow, GoesAwayAtTheFirstInputAfterTheDeadline) {
  // Input keeps coming, so the wait never runs out by itself; the deadline
  // still ends it.
  testhttp::Server server(200, "vinfo=1.39;");
  HWND window = StartCheck(server.Url(), 1500);
  ASSERT_TRUE(window);
  Outcome(window);
  const Clock::time_point shown = Clock::now();
  const bool gone = guitest::WaitUntil(
      [&] {
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        Sleep(90);
        return !TSFVUpdateCheck::Running();
      },
      10000);
  EXPECT_TRUE(gone);
  EXPECT_GE(Clock::now() - shown, std::chrono::milliseconds(1000));
  EXPECT_TRUE(Ended(5000));
}

}  // namespace
}  // namespace about
