#include "picklist/Quor_SpecifikBox.h"

#include <commctrl.h>

#include "core/Quor_Text.h"
#include "platform/text.h"
#include "res/resource.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

struct ButtonSpec {
  int id;
  const char* caption;
  PickBox design;
};

constexpr PickBox kListDesign{8, 8, 217, 137};
constexpr ButtonSpec kButtons[6] = {
    {IDC_PICK_CHECK_SELECTED, "Check Selected", {8, 152, 105, 17}},
    {IDC_PICK_UNCHECK_SELECTED, "UnCheck Selected", {120, 152, 105, 17}},
    {IDC_PICK_CHECK_ALL, "Check All", {8, 176, 105, 17}},
    {IDC_PICK_UNCHECK_ALL, "UnCheck All", {120, 176, 105, 17}},
    {IDC_PICK_OK, "OK", {8, 200, 105, 17}},
    {IDC_PICK_CANCEL, "Cancel", {120, 200, 105, 17}},
};

std::string ShownText(const std::string& line, bool hideCrcSuffix) {
  if (!hideCrcSuffix) return line;
  return line.size() > 9 ? line.substr(0, line.size() - 9) : std::string();
}

void Place(HWND control, const PickBox& box) {
  MoveWindow(control, box.left, box.top, box.width, box.height, FALSE);
}

}  // namespace

PickListPlacement& CurrentPickListPlacement() {
  static PickListPlacement placement;
  return placement;
}

void LoadProcessPickListPlacement(const std::string& settingsPath) {
  CurrentPickListPlacement() = LoadPickListPlacement(settingsPath);
}

void SaveProcessPickListPlacement(const std::string& settingsPath) {
  SavePickListPlacement(settingsPath, CurrentPickListPlacement());
}

PickListLayout ComputePickListLayout(int outerWidth, int outerHeight, int clientWidth) {
  const int half = clientWidth / 2;
  const int bw = half - 10;
  const int left[2] = {5, half - 5};
  const int top[3] = {outerHeight - 90, outerHeight - 70, outerHeight - 50};
  PickListLayout layout{};
  layout.list = {5, 5, outerWidth - 18, outerHeight - 100};
  for (int i = 0; i < 6; ++i) layout.buttons[i] = {left[i % 2], top[i / 2], bw, 17};
  return layout;
}

bool TChkLBoxForm::CreateForm(HWND owner) {
  owner_ = owner;
  const PickListPlacement& p = CurrentPickListPlacement();
  RECT rect;
  if (p.left != -1) {
    rect = gui::KeptOnScreen(RECT{p.left, p.top, p.left + p.width, p.top + p.height});
  } else {
    rect = gui::CentredRect(kDesignSize, kDesignSize);
  }
  return Create(kClassName, kCaption, kStyle, kExStyle, rect, owner);
}

bool TChkLBoxForm::OnCreate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  font_ = gui::MakeFont("MS Sans Serif", -10);
  HINSTANCE instance = GetModuleHandleW(nullptr);

  list_ = gui::CreateWindowUtf8(WS_EX_CLIENTEDGE, "SysListView32", "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS,
                          kListDesign.left, kListDesign.top, kListDesign.width, kListDesign.height, hwnd(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PICK_LIST)), instance, nullptr);
  if (!list_) return false;
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = kListDesign.width - 4;
  SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  for (int i = 0; i < 6; ++i) {
    const ButtonSpec& b = kButtons[i];
    buttons_[i] = gui::CreateWindowUtf8(0, "BUTTON", b.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  b.design.left, b.design.top, b.design.width, b.design.height, hwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
    SendMessageA(buttons_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  return true;
}

void TChkLBoxForm::LoadItems(const std::string& text) {
  ClearItems();
  ItemLines = SplitListText(text);
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  for (std::size_t i = 0; i < ItemLines.size(); ++i) {
    std::wstring shown = platform::Widen(ShownText(ItemLines[i], HideCrcSuffix));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = shown.data();
    const int index = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    SetCheck(index, true);
  }
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

std::string TChkLBoxForm::GetCheckedItems() const {
  std::string out;
  const int count = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count && i < static_cast<int>(ItemLines.size()); ++i) {
    const auto state = SendMessageA(list_, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
    if (((state & LVIS_STATEIMAGEMASK) >> 12) == 2) {
      out += ItemLines[i];
      out += kCrLf;
    }
  }
  return out;
}

void TChkLBoxForm::ClearItems() {
  ItemLines.clear();
  if (list_) SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
}

gui::ModalResult TChkLBoxForm::Run() { return ShowModal(owner_); }

void TChkLBoxForm::SetCheck(int index, bool check) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(check ? 2 : 1);
  SendMessageW(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

void TChkLBoxForm::ChkAllClick(bool check) {
  const int count = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) SetCheck(i, check);
  SetFocus(list_);
}

void TChkLBoxForm::ChkSelClick(bool check) {
  int index = -1;
  while ((index = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, index, LVNI_SELECTED))) != -1) {
    SetCheck(index, check);
  }
  SetFocus(list_);
}

void TChkLBoxForm::OnCommand(int id, int notifyCode, HWND /*control*/) {
  if (notifyCode != BN_CLICKED) return;
  switch (id) {
    case IDC_PICK_CHECK_SELECTED: ChkSelClick(true); break;
    case IDC_PICK_UNCHECK_SELECTED: ChkSelClick(false); break;
    case IDC_PICK_CHECK_ALL: ChkAllClick(true); break;
    case IDC_PICK_UNCHECK_ALL: ChkAllClick(false); break;
    case IDC_PICK_OK: EndModal(gui::ModalResult::Ok); break;
    case IDC_PICK_CANCEL: EndModal(gui::ModalResult::Cancel); break;
    default: break;
  }
}

bool TChkLBoxForm::OnPreviewKey(UINT virtualKey) {
  if (virtualKey == VK_RETURN) {
    EndModal(gui::ModalResult::Ok);
    return true;
  }
  if (virtualKey == VK_ESCAPE) {
    EndModal(gui::ModalResult::Cancel);
    return true;
  }
  return false;
}

void TChkLBoxForm::FormResize() {
  if (!list_) return;
  RECT outer, client;
  GetWindowRect(hwnd(), &outer);
  GetClientRect(hwnd(), &client);
  const PickListLayout layout =
      ComputePickListLayout(outer.right - outer.left, outer.bottom - outer.top, client.right - client.left);
  Place(list_, layout.list);
  for (int i = 0; i < 6; ++i) Place(buttons_[i], layout.buttons[i]);
  RECT listClient;
  GetClientRect(list_, &listClient);
  SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, listClient.right - listClient.left);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TChkLBoxForm::OnSize(int, int) { FormResize(); }

void TChkLBoxForm::OnActivate(bool active) {
  if (!active) return;
  FormResize();
  SetFocus(list_);
}

void TChkLBoxForm::OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize.x = kDesignSize;
  info->ptMinTrackSize.y = kDesignSize;
}

void TChkLBoxForm::OnDestroy() {
  RECT outer;
  if (!GetWindowRect(hwnd(), &outer)) return;
  PickListPlacement& p = CurrentPickListPlacement();
  p = {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
}

std::optional<std::string> PickLines(HWND owner, const std::string& lines, bool hideCrcSuffix) {
  TChkLBoxForm form;
  if (!form.CreateForm(owner)) return std::nullopt;
  form.HideCrcSuffix = hideCrcSuffix;
  form.LoadItems(lines);
  std::optional<std::string> result;
  if (form.Run() == gui::ModalResult::Ok) result = form.GetCheckedItems();
  form.ClearItems();
  form.Destroy();
  return result;
}
