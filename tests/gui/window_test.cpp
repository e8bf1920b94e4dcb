// The window layer: the synchronize facility, notices and the small
// question windows.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "GuiTestUtil.h"
#include "core/Quor_Notify.h"
#include "gui/Dialogs.h"
#include "gui/Window.h"
#include "picklist/Quor_SpecifikBox.h"
#include "res/resource.h"

namespace {

const DWORD kSelf = GetCurrentProcessId();

class ProbeWindow : public gui::Window {
 public:
  bool Make() { return Create("QuorProbe", "probe", WS_OVERLAPPEDWINDOW, 0, RECT{0, 0, 200, 100}); }
  std::vector<std::pair<std::uint32_t, std::uint32_t>> notices;

 protected:
  void OnCheckNotify(std::uint32_t code, std::uint32_t value) override { notices.emplace_back(code, value); }
};

// Handles messages on this thread until pred() holds.
void PumpUntil(const std::function<bool()>& pred) {
  while (!pred()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

TEST(SyncCall, RunsTheStepOnTheWindowThreadWhileTheWorkerWaits) {
  ProbeWindow window;
  ASSERT_TRUE(window.Make());
  const DWORD windowThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  int value = 0;
  std::atomic<bool> done{false};
  bool seenAfterReturn = false;
  std::thread worker([&] {
    const bool ran = gui::SyncCall(window.hwnd(), [&] {
      ranOn = GetCurrentThreadId();
      Sleep(50);  // the worker must still be waiting
      value = 42;
    });
    seenAfterReturn = ran && value == 42;
    SendMessageA(window.hwnd(), WM_CHECKNOTIFY, CN_FOLDER_COUNT, 3);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(ranOn, windowThread);
  EXPECT_TRUE(seenAfterReturn);
  ASSERT_EQ(window.notices.size(), 1u);
  EXPECT_EQ(window.notices[0], std::make_pair(std::uint32_t{CN_FOLDER_COUNT}, std::uint32_t{3}));
}

TEST(SyncCall, OnTheWindowThreadItRunsAtOnceAndAGoneWindowRunsNothing) {
  ProbeWindow window;
  ASSERT_TRUE(window.Make());
  bool ran = false;
  EXPECT_TRUE(gui::SyncCall(window.hwnd(), [&] { ran = true; }));
  EXPECT_TRUE(ran);
  const HWND gone = window.hwnd();
  window.Destroy();
  ran = false;
  bool result = true;
  std::thread worker([&] { result = gui::SyncCall(gone, [&] { ran = true; }); });
  worker.join();
  EXPECT_FALSE(result);
  EXPECT_FALSE(ran);
}

TEST(SyncCall, AStepMessageSyncCallDidNotSendRunsNothing) {
  // What another process could send: the message with a pointer of its choice.
  ProbeWindow window;
  ASSERT_TRUE(window.Make());
  bool ran = false;
  const std::function<void()> step = [&] { ran = true; };
  EXPECT_EQ(SendMessageW(window.hwnd(), gui::WM_QUOR_SYNC, 0, reinterpret_cast<LPARAM>(&step)), 0);
  EXPECT_EQ(SendMessageW(window.hwnd(), gui::WM_QUOR_SYNC, 0, 0x1234), 0);
  EXPECT_FALSE(ran);
}

TEST(SyncCall, AWorkerStepCanShowThePickListAndNoticesStillArrive) {
  ProbeWindow window;
  ASSERT_TRUE(window.Make());
  std::optional<std::string> picked;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    gui::SyncCall(window.hwnd(), [&] { picked = PickLines(window.hwnd(), "x\r\ny\r\n", false); });
    done = true;
  });
  guitest::Helper helper([&] {
    HWND form = guitest::WaitForWindow(kSelf, TChkLBoxForm::kClassName);
    ASSERT_NE(form, nullptr);
    // The owner is disabled while the pick list is up; another thread's
    // notice is still handled meanwhile.
    EXPECT_FALSE(IsWindowEnabled(window.hwnd()));
    SendMessageA(window.hwnd(), WM_CHECKNOTIFY, CN_NEXT_FOLDER, 0);
    guitest::ClickButton(form, "OK");
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(picked, "x\r\ny\r\n");
  EXPECT_EQ(window.notices.size(), 1u);
  EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
}

TEST(AskOverwrite, EveryButtonGivesItsAnswerAndClosingMeansNo) {
  const std::pair<const char*, gui::OverwriteAnswer> cases[] = {
      {"Yes", gui::OverwriteAnswer::Yes},
      {"No", gui::OverwriteAnswer::No},
      {"No to All", gui::OverwriteAnswer::NoToAll},
      {"Yes to All", gui::OverwriteAnswer::YesToAll},
      {nullptr, gui::OverwriteAnswer::No},
  };
  for (const auto& [button, answer] : cases) {
    std::string text;
    guitest::Helper helper([&, button = button] {
      HWND ask = guitest::WaitForWindow(kSelf, gui::kAskClassName, "Confirm");
      ASSERT_NE(ask, nullptr);
      text = guitest::WindowText(GetDlgItem(ask, IDC_ASK_TEXT));
      if (button) {
        ASSERT_TRUE(guitest::ClickButton(ask, button));
      } else {
        PostMessageA(ask, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
    });
    EXPECT_EQ(gui::AskOverwrite(nullptr, "rel.sfv"), answer) << (button ? button : "close box");
    EXPECT_EQ(text, "rel.sfv Already Exists.. Overwrite ?");
  }
}

TEST(InputQuery, GivesTheTypedTextOnOkOrEnterAndNothingOnCancel) {
  {
    std::string prompt;
    guitest::Helper helper([&] {
      HWND box = guitest::WaitForWindow(kSelf, gui::kAskClassName, "Query");
      ASSERT_NE(box, nullptr);
      prompt = guitest::WindowText(GetDlgItem(box, IDC_ASK_TEXT));
      EXPECT_EQ(guitest::WindowText(GetDlgItem(box, IDC_ASK_EDIT)), "old.sfv");
      SendMessageA(GetDlgItem(box, IDC_ASK_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new name"));
      guitest::ClickButton(box, "OK");
    });
    EXPECT_EQ(gui::InputQuery(nullptr, "Query", "Enter a new SFV filename..", "old.sfv"), "new name");
    EXPECT_EQ(prompt, "Enter a new SFV filename..");
  }
  {
    guitest::Helper helper([&] {
      HWND box = guitest::WaitForWindow(kSelf, gui::kAskClassName, "Query");
      guitest::PressKey(GetDlgItem(box, IDC_ASK_EDIT), VK_RETURN);
    });
    EXPECT_EQ(gui::InputQuery(nullptr, "Query", "p", "kept.sfv"), "kept.sfv");
  }
  for (bool escape : {false, true}) {
    guitest::Helper helper([&] {
      HWND box = guitest::WaitForWindow(kSelf, gui::kAskClassName, "Query");
      if (escape) {
        guitest::PressKey(GetDlgItem(box, IDC_ASK_EDIT), VK_ESCAPE);
      } else {
        guitest::ClickButton(box, "Cancel");
      }
    });
    EXPECT_EQ(gui::InputQuery(nullptr, "Query", "p", "x.sfv"), std::nullopt);
  }
}

}  // namespace
