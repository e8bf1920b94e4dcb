#include "mainwindow/Quor_ListViews.h"

#include <windowsx.h>

#include "gui/Window.h"
#include "platform/text.h"

namespace {

// Posted by the list to itself when a header drag ends: the header takes
// its new order only after its HDN_ENDDRAG has been answered.
constexpr UINT kColumnsMovedMessage = WM_APP + 40;
constexpr UINT_PTR kSubclassId = 1;

int FormatOf(ColumnAlign align) {
  switch (align) {
    case ColumnAlign::Centre: return LVCFMT_CENTER;
    case ColumnAlign::Right: return LVCFMT_RIGHT;
    case ColumnAlign::Left: break;
  }
  return LVCFMT_LEFT;
}

const ResultRow* RowOf(LPARAM param) { return reinterpret_cast<const ResultRow*>(param); }

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM dataIndex) {
  const int data = static_cast<int>(dataIndex);
  if (ResultRows::SortsBefore(*RowOf(a), *RowOf(b), data)) return -1;
  if (ResultRows::SortsBefore(*RowOf(b), *RowOf(a), data)) return 1;
  return 0;
}

LPARAM ItemParam(HWND list, int index) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

void SetCallbackText(HWND list, int row, int subItem) {
  LVITEMW sub{};
  sub.iSubItem = subItem;
  sub.pszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
}

}  // namespace

ResultList::ResultList(std::vector<ColumnSpec> columns, std::size_t limit)
    : initialColumns_(std::move(columns)), rows_(limit) {}

ResultList::~ResultList() {
  if (hwnd_ && IsWindow(hwnd_)) {
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    DestroyWindow(hwnd_);  // before the rows it points at go
  }
}

bool ResultList::Create(HWND parent, int id, HFONT font, std::uint32_t background) {
  hwnd_ = gui::CreateWindowUtf8(WS_EX_CLIENTEDGE, "SysListView32", "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL, 0, 0,
                          10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return false;
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
  if (font) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Storage for the rows the list can hold.
  SendMessageA(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows_.limit()), LVSICF_NOINVALIDATEALL);
  SetBackground(background);
  for (const ColumnSpec& columnSpec : initialColumns_) AddColumn(columnSpec);
  SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

// ---- rows ----

void ResultList::AddRow(std::vector<std::string> texts, std::optional<std::uint32_t> colour) {
  if (std::optional<std::size_t> drop = rows_.RowToDropBeforeAdding()) {
    // The list view lets go of the row before the row's data goes.
    ListView_DeleteItem(hwnd_, static_cast<int>(*drop));
    rows_.RemoveAt(*drop);
  }
  ResultRow& row = rows_.Append(std::move(texts), colour);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = LPSTR_TEXTCALLBACKW;
  item.lParam = reinterpret_cast<LPARAM>(&row);
  const int index = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) {
    rows_.RemoveAt(rows_.size() - 1);
    return;
  }
  for (std::size_t sub = 1; sub < tagsByIndex_.size(); ++sub) SetCallbackText(hwnd_, index, static_cast<int>(sub));
  // Follow the new row only while the list shows its end, so a user who
  // has scrolled back to read is not pulled down.
  RECT rowRect{};
  RECT listRect{};
  rowRect.left = LVIR_BOUNDS;
  if (SendMessageA(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rowRect)) &&
      GetWindowRect(hwnd_, &listRect) && rowRect.top < listRect.bottom - listRect.top) {
    ListView_EnsureVisible(hwnd_, index, FALSE);
  }
}

void ResultList::Clear() {
  ListView_DeleteAllItems(hwnd_);
  rows_.Clear();
}

int ResultList::RowCount() const { return static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

std::string ResultList::Text(int row, int dataIndex) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || dataIndex < 0) return "";
  return rows_[static_cast<std::size_t>(row)].Text(static_cast<std::size_t>(dataIndex));
}

std::uint32_t ResultList::RowColour(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return 0;
  return rows_[static_cast<std::size_t>(row)].DrawColour();
}

std::optional<int> ResultList::SelectedRow() const {
  const int row = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return std::nullopt;
  return row;
}

// ---- columns ----

int ResultList::ColumnIndexOfTag(int tag) const {
  for (std::size_t i = 0; i < tagsByIndex_.size(); ++i) {
    if (tagsByIndex_[i] == tag) return static_cast<int>(i);
  }
  return -1;
}

std::vector<int> ResultList::DisplayTags() const {
  std::vector<int> order(tagsByIndex_.size());
  if (order.empty() || !ListView_GetColumnOrderArray(hwnd_, static_cast<int>(order.size()), order.data())) {
    return tagsByIndex_;
  }
  std::vector<int> tags;
  for (int index : order) {
    if (index >= 0 && static_cast<std::size_t>(index) < tagsByIndex_.size()) tags.push_back(tagsByIndex_[index]);
  }
  return tags;
}

bool ResultList::HasColumn(int tag, const char* caption) const {
  const int index = ColumnIndexOfTag(tag);
  if (index < 0) return false;
  if (!caption) return true;
  wchar_t text[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = 64;
  SendMessageW(hwnd_, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  return platform::Narrow(text) == caption;
}

void ResultList::AddColumn(const ColumnSpec& columnSpec) {
  const int index = static_cast<int>(tagsByIndex_.size());
  std::wstring caption = platform::Widen(columnSpec.caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = FormatOf(columnSpec.align);
  column.cx = columnSpec.width;
  column.pszText = caption.data();
  column.iSubItem = index;
  if (SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) < 0) {
    return;
  }
  tagsByIndex_.push_back(columnSpec.tag);
  // The rows already there show this column's data too.
  if (index > 0) {
    for (int row = 0; row < RowCount(); ++row) SetCallbackText(hwnd_, row, index);
  }
}

void ResultList::DeleteColumn(int tag) {
  const int index = ColumnIndexOfTag(tag);
  if (index < 0 || !ListView_DeleteColumn(hwnd_, index)) return;
  tagsByIndex_.erase(tagsByIndex_.begin() + index);
}

void ResultList::ApplyColumnOrder(const std::string& order) {
  const std::vector<int> tags = ::ApplyColumnOrder(DisplayTags(), order);
  std::vector<int> indexes;
  for (int tag : tags) indexes.push_back(ColumnIndexOfTag(tag));
  if (indexes.empty()) return;
  ListView_SetColumnOrderArray(hwnd_, static_cast<int>(indexes.size()), indexes.data());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ResultList::SetColumnWidth(int tag, int width) {
  for (std::size_t i = 0; i < tagsByIndex_.size(); ++i) {
    if (tagsByIndex_[i] == tag) ListView_SetColumnWidth(hwnd_, static_cast<int>(i), width);
  }
}

int ResultList::GetColumnWidth(int tag) const {
  const int index = ColumnIndexOfTag(tag);
  if (index < 0) return kMissingColumnWidth;
  return ListView_GetColumnWidth(hwnd_, index);
}

void ResultList::SetBackground(std::uint32_t colour) {
  background_ = colour;
  ListView_SetBkColor(hwnd_, static_cast<COLORREF>(colour));
  ListView_SetTextBkColor(hwnd_, static_cast<COLORREF>(colour));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ResultList::SortByColumn(int columnIndex) {
  if (columnIndex < 0 || static_cast<std::size_t>(columnIndex) >= tagsByIndex_.size()) return;
  sortColumn_ = DataIndexOfTag(tagsByIndex_[static_cast<std::size_t>(columnIndex)]);
  ListView_SortItems(hwnd_, CompareRows, static_cast<LPARAM>(sortColumn_));
  rows_.SortBy(sortColumn_);
  // Both sorts follow one total order, so they agree. Should a list view
  // ever sort otherwise, it is filled anew in the model's order.
  bool same = RowCount() == static_cast<int>(rows_.size());
  for (std::size_t i = 0; same && i < rows_.size(); ++i) {
    same = RowOf(ItemParam(hwnd_, static_cast<int>(i))) == &rows_[i];
  }
  if (same) return;
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(hwnd_);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.lParam = reinterpret_cast<LPARAM>(&rows_[i]);
    const int index = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (std::size_t sub = 1; index >= 0 && sub < tagsByIndex_.size(); ++sub) {
      SetCallbackText(hwnd_, index, static_cast<int>(sub));
    }
  }
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ResultList::ColumnsMoved() {
  if (OnColumnsMoved) OnColumnsMoved(OrderString());
}

// ---- notifications ----

bool ResultList::HandleNotify(NMHDR* header, LRESULT& result) {
  if (!hwnd_ || header->hwndFrom != hwnd_) return false;
  result = 0;
  switch (header->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
      // Both forms carry the item at the same place; only the text differs.
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      LVITEMA& item = info->item;
      if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return true;
      const ResultRow* row = RowOf(item.lParam);
      if (!row && item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < rows_.size()) {
        row = &rows_[static_cast<std::size_t>(item.iItem)];
      }
      const int sub = item.iSubItem;
      std::string text;
      if (row && sub >= 0 && static_cast<std::size_t>(sub) < tagsByIndex_.size()) {
        text = row->Text(static_cast<std::size_t>(DataIndexOfTag(tagsByIndex_[static_cast<std::size_t>(sub)])));
      }
      if (header->code == LVN_GETDISPINFOA) {
        // Asked for legacy text: characters outside the code page cannot show.
        lstrcpynA(item.pszText, platform::Utf8ToLegacy(text).value_or(text).c_str(), item.cchTextMax);
      } else {
        const std::wstring wide = platform::Widen(text);
        lstrcpynW(reinterpret_cast<wchar_t*>(item.pszText), wide.c_str(), item.cchTextMax);
      }
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
          result = CDRF_NOTIFYITEMDRAW;
          return true;
        case CDDS_ITEMPREPAINT:
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
          const ResultRow* row = RowOf(draw->nmcd.lItemlParam);
          draw->clrText = static_cast<COLORREF>(row ? row->DrawColour() : 0);
          draw->clrTextBk = static_cast<COLORREF>(background_);
          result = CDRF_NEWFONT |
                   (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT);
          return true;
        }
        default:
          result = CDRF_DODEFAULT;
          return true;
      }
    }
    case LVN_COLUMNCLICK:
      SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK ResultList::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
  auto* list = reinterpret_cast<ResultList*>(self);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    list->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  return list->ListMessage(msg, wParam, lParam);
}

LRESULT ResultList::ListMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == ListView_GetHeader(hwnd_) && header->code == HDN_ENDDRAG) {
        PostMessageA(hwnd_, kColumnsMovedMessage, 0, 0);
      }
      break;
    }
    case kColumnsMovedMessage:
      ColumnsMoved();
      return 0;
    case WM_CONTEXTMENU:
      if (OnContextMenu) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1) {  // from the keyboard: below the selected row, or the list's corner
          RECT rect{};
          rect.left = LVIR_BOUNDS;
          const std::optional<int> row = SelectedRow();
          at = POINT{0, 0};
          if (row && SendMessageA(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(*row), reinterpret_cast<LPARAM>(&rect))) {
            at = POINT{rect.left, rect.bottom};
          }
          ClientToScreen(hwnd_, &at);
        }
        OnContextMenu(at);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (OnCtrlKey && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 &&
          OnCtrlKey(static_cast<UINT>(wParam))) {
        return 0;
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

HWND AddTooltip(HWND owner, HWND control, const char* text) {
  HWND tip = gui::CreateWindowUtf8(WS_EX_TOPMOST, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!tip) return nullptr;
  std::wstring wideText = platform::Widen(text);
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = wideText.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  return tip;
}
