#include "gui/Dialogs.h"

#include <algorithm>

#include <commdlg.h>

#include "gui/Handles.h"
#include "gui/Window.h"
#include "platform/text.h"
#include "res/resource.h"

namespace gui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

// One small modal window: optional icon, a text, an optional edit line and
// a row of buttons. Its answer is the id of the button pressed.
class AskForm : public Window {
 public:
  AskForm(std::string text, std::vector<AskButton> buttons, int cancelId, bool withEdit, std::string preset)
      : text_(std::move(text)),
        buttons_(std::move(buttons)),
        cancelId_(cancelId),
        withEdit_(withEdit),
        editText_(std::move(preset)) {}

  int Run(HWND owner, const std::string& caption) {
    answer_ = cancelId_;
    font_ = MakeFont("MS Shell Dlg", -11);
    const SIZE client = Measure();
    const SIZE outer = OuterSizeForClient(client.cx, client.cy, kStyle, kExStyle);
    if (!Create(kAskClassName, caption.c_str(), kStyle, kExStyle, CentredRect(outer.cx, outer.cy), owner)) {
      return cancelId_;
    }
    ShowModal(owner);
    if (edit_) editText_ = GetText(edit_);
    Destroy();
    return answer_;
  }

  const std::string& editText() const { return editText_; }

 protected:
  bool OnCreate() override {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    int textLeft = kMargin;
    if (!withEdit_) {
      HWND icon = CreateWindowUtf8(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, kMargin, kMargin, 32, 32,
                                  hwnd(), Id(IDC_ASK_ICON), instance, nullptr);
      SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_QUESTION)), 0);
      textLeft = kMargin + 32 + kMargin;
    }
    HWND label = CreateWindowUtf8(0, "STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, textLeft,
                                 textTop_, textSize_.cx, textSize_.cy, hwnd(), Id(IDC_ASK_TEXT), instance, nullptr);
    SetFont(label);
    int y = textTop_ + textSize_.cy + kMargin;
    if (withEdit_) {
      edit_ = CreateWindowUtf8(WS_EX_CLIENTEDGE, "EDIT", editText_.c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kMargin, y,
                              clientWidth_ - 2 * kMargin, 21, hwnd(), Id(IDC_ASK_EDIT), instance, nullptr);
      SetFont(edit_);
      y += 21 + kMargin;
    }
    const int rowWidth = static_cast<int>(buttons_.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    int x = withEdit_ ? clientWidth_ - kMargin - rowWidth : (clientWidth_ - rowWidth) / 2;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
      const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      HWND button = CreateWindowUtf8(0, "BUTTON", buttons_[i].caption, style, x, y, kButtonWidth, kButtonHeight,
                                    hwnd(), Id(buttons_[i].id), instance, nullptr);
      SetFont(button);
      x += kButtonWidth + kButtonGap;
    }
    return true;
  }

  void OnActivate(bool active) override {
    if (!active) return;
    if (edit_) {
      SetFocus(edit_);
      SendMessageA(edit_, EM_SETSEL, 0, -1);
    } else if (HWND first = GetDlgItem(hwnd(), buttons_.front().id)) {
      SetFocus(first);
    }
  }

  void OnCommand(int id, int notifyCode, HWND) override {
    if (notifyCode != BN_CLICKED) return;
    for (const AskButton& b : buttons_) {
      if (b.id == id) Answer(id);
    }
  }

  bool OnPreviewKey(UINT key) override {
    if (key == VK_ESCAPE) {
      Answer(cancelId_);
      return true;
    }
    if (key == VK_RETURN) {
      // Enter presses the focused button, or the first one elsewhere.
      HWND focus = GetFocus();
      const int focusedId = focus ? GetDlgCtrlID(focus) : 0;
      for (const AskButton& b : buttons_) {
        if (b.id == focusedId) {
          Answer(b.id);
          return true;
        }
      }
      Answer(buttons_.front().id);
      return true;
    }
    return false;
  }

 private:
  static HMENU Id(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }
  void SetFont(HWND control) { SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE); }
  void Answer(int id) {
    answer_ = id;
    EndModal(ModalResult::Ok);
  }

  // Works out the text's size and the client size from the font.
  SIZE Measure() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_.get());
    RECT r{0, 0, 400, 0};
    DrawTextUtf8(dc, text_, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    textSize_ = SIZE{r.right - r.left + 2, r.bottom - r.top};
    const int rowWidth = static_cast<int>(buttons_.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    const int iconPart = withEdit_ ? 0 : 32 + kMargin;
    clientWidth_ = std::max({static_cast<int>(kMargin + iconPart + textSize_.cx + kMargin), rowWidth + 2 * kMargin,
                             withEdit_ ? 300 : 0});
    textTop_ = withEdit_ ? kMargin : kMargin + std::max(0, (32 - static_cast<int>(textSize_.cy)) / 2);
    int height = withEdit_ ? kMargin + textSize_.cy + kMargin + 21 + kMargin
                           : kMargin + std::max(32, static_cast<int>(textSize_.cy)) + kMargin;
    height += kButtonHeight + kMargin;
    return SIZE{clientWidth_, height};
  }

  std::string text_;
  std::vector<AskButton> buttons_;
  int cancelId_;
  bool withEdit_;
  std::string editText_;
  int answer_ = 0;
  HWND edit_ = nullptr;
  UniqueFont font_;
  SIZE textSize_{};
  int textTop_ = kMargin;
  int clientWidth_ = 0;
};

}  // namespace

int AskQuestion(HWND owner, const std::string& caption, const std::string& text,
                const std::vector<AskButton>& buttons, int cancelId) {
  AskForm form(text, buttons, cancelId, false, "");
  return form.Run(owner, caption);
}

OverwriteAnswer AskOverwrite(HWND owner, const std::string& name) {
  const int answer = AskQuestion(owner, "Confirm", name + " Already Exists.. Overwrite ?",
                                 {{IDC_ASK_YES, "&Yes"},
                                  {IDC_ASK_NO, "&No"},
                                  {IDC_ASK_NO_TO_ALL, "N&o to All"},
                                  {IDC_ASK_YES_TO_ALL, "Yes to &All"}},
                                 IDC_ASK_NO);
  switch (answer) {
    case IDC_ASK_YES: return OverwriteAnswer::Yes;
    case IDC_ASK_NO_TO_ALL: return OverwriteAnswer::NoToAll;
    case IDC_ASK_YES_TO_ALL: return OverwriteAnswer::YesToAll;
    default: return OverwriteAnswer::No;
  }
}

std::optional<std::string> InputQuery(HWND owner, const std::string& caption, const std::string& prompt,
                                      const std::string& preset) {
  AskForm form(prompt, {{IDC_ASK_OK, "OK"}, {IDC_ASK_CANCEL, "Cancel"}}, IDC_ASK_CANCEL, true, preset);
  if (form.Run(owner, caption) != IDC_ASK_OK) return std::nullopt;
  return form.editText();
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& request) {
  std::wstring file(32768, L'\0');  // room for a long path
  const std::wstring name = platform::Widen(request.initialName);
  file.replace(0, name.size(), name);
  const std::wstring filter = platform::Widen(request.filter);
  const std::wstring defaultExt = platform::Widen(request.defaultExt);
  const std::wstring folder = platform::Widen(request.initialFolder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = request.flags;
  const BOOL chosen = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  return platform::PathFromSystem(file.c_str());
}

}  // namespace gui
