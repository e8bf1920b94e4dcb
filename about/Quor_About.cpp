#include "about/Quor_About.h"

#include <array>

#include "about/Quor_AboutText.h"
#include "about/Quor_Const.h"
#include "about/Quor_Panel.h"
#include "gui/Window.h"

namespace about {

namespace {

class TextForm : public gui::Window {
 public:
  void Build(const std::string& text, const std::string& caption, HWND owner) {
    // "MS Sherif" names no installed font; the system's font matching picks
    // the face that is drawn.
    font_ = gui::UniqueFont(CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, "MS Sherif"));
    const SIZE label = MeasureText(font_.get(), text);
    const int width = label.cx + 15;  // outer sizes: frame and caption included
    const int height = label.cy + 70;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!Create(kTextWindowClassName, caption.c_str(), style, WS_EX_DLGMODALFRAME, gui::CentredRect(width, height),
                owner))
      return;
    label_.CreateChild(hwnd(), 100, RECT{5, 10, 5 + label.cx, 10 + label.cy}, Panel::Look::Plain, font_.get(),
                       text);
    // The button's place is measured on the outer window, its coordinates
    // are the client area's, as the layout was drawn.
    const int left = width / 2 - 25;
    const int top = height - 53;
    ok_ = gui::CreateWindowUtf8(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, left, top, 50,
                          20, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), GetModuleHandleW(nullptr),
                          nullptr);
    SendMessageA(ok_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SetFocus(ok_);
  }

 protected:
  void OnCommand(int id, int /*notifyCode*/, HWND /*control*/) override {
    if (id == IDOK) EndModal(gui::ModalResult::Ok);
  }
  bool OnPreviewKey(UINT key) override {
    if (key == VK_RETURN) {
      EndModal(gui::ModalResult::Ok);
      return true;
    }
    return key == VK_ESCAPE;  // Escape does nothing here
  }

 private:
  gui::UniqueFont font_;
  Panel label_;
  HWND ok_ = nullptr;
};

}  // namespace

void ShowTextWindow(const std::string& text, const std::string& caption, HWND owner) {
  TextForm form;
  form.Build(text, caption, owner);
  if (!form.hwnd()) return;
  form.ShowModal(owner);
  form.Destroy();
}

std::string AboutText() {
  std::array<std::string, kAboutLineCount> lines;
  for (int i = 0; i < kAboutLineCount; ++i) lines[i] = Unscramble(kAboutLines[i]);
  return JoinAboutLines(lines);
}

void ShowAbout(HWND owner) { ShowTextWindow(AboutText(), kAboutCaption, owner); }

void ShowDisclaimer(HWND owner) { ShowTextWindow(std::string(DisclaimerText()), kDisclaimerCaption, owner); }

}  // namespace about
