#include "about/Quor_Panel.h"

namespace about {

namespace {

UINT DrawFlags(Panel::Look look) {
  // A panel holds one line, centred both ways, and a line too long for it
  // keeps its start (an address is read from the left); a label its lines,
  // centred.
  return DT_NOPREFIX | DT_CENTER |
         (look == Panel::Look::Raised ? DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS : 0);
}

}  // namespace

bool Panel::CreateChild(HWND parent, int id, RECT rect, Look look, HFONT font, const std::string& text) {
  id_ = id;
  look_ = look;
  font_ = font;
  if (!Create(kPanelClassName, text.c_str(), WS_CHILD | WS_VISIBLE, 0, rect, parent)) return false;
  SetWindowLongPtrA(hwnd(), GWLP_ID, id);
  return true;
}

void Panel::SetFont(HFONT font) {
  font_ = font;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefaultHandling(msg, wParam, lParam);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return result;
    }
    case WM_LBUTTONDOWN:
      pressed_ = true;
      return 0;
    case WM_LBUTTONUP:
      // A click is a press and a release on the panel.
      if (pressed_ && look_ == Look::Raised) {
        pressed_ = false;
        SendMessageA(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id_, STN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd()));
      }
      pressed_ = false;
      return 0;
    default:
      return gui::Window::HandleMessage(msg, wParam, lParam);
  }
}

void Panel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT r;
  GetClientRect(hwnd(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (look_ == Look::Raised) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  HGDIOBJ oldFont = font_ ? SelectObject(dc, font_) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const std::string text = gui::GetText(hwnd());
  gui::DrawTextUtf8(dc, text, &r, DrawFlags(look_));
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(hwnd(), &ps);
}

SIZE MeasureText(HFONT font, const std::string& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT r{0, 0, 0, 0};
  gui::DrawTextUtf8(dc, text, &r, DrawFlags(Panel::Look::Plain) | DT_CALCRECT);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace about
