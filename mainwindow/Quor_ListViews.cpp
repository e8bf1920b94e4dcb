#include "mainwindow/Quor_ListViews.h"

#include <windowsx.h>

#include <algorithm>

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

// ASCII letters folded to lower case: typing to find a row ignores case.
char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// text starts with prefix (or, unless partial, is prefix), case aside.
bool MatchesFolded(const std::string& text, const std::string& prefix, bool partial) {
  if (prefix.size() > text.size() || (!partial && prefix.size() != text.size())) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
  }
  return true;
}

}  // namespace

ResultList::ResultList(std::vector<ColumnSpec> columns, std::size_t limit)
    : initialColumns_(std::move(columns)), rows_(limit) {}

ResultList::~ResultList() {
  if (hwnd_ && IsWindow(hwnd_)) {
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    DestroyWindow(hwnd_);  // before the rows it shows go
  }
}

bool ResultList::Create(HWND parent, int id, HFONT font, std::uint32_t background) {
  constexpr DWORD kStyle =
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
  hwnd_ = gui::CreateWindowUtf8(WS_EX_CLIENTEDGE, "SysListView32", "", kStyle, 0, 0, 10, 10, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
  if (!hwnd_) return false;
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
  if (font) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetBackground(background);
  for (const ColumnSpec& columnSpec : initialColumns_) AddColumn(columnSpec);
  SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

// ---- rows ----

void ResultList::AddRow(std::vector<std::string> texts, std::optional<std::uint32_t> colour) {
  if (std::optional<std::size_t> drop = rows_.RowToDropBeforeAdding()) {
    NoteMarksBeforeRowsMove();
    rows_.RemoveAt(*drop);
  }
  rows_.Append(std::move(texts), colour);
  changed_ = true;
}

void ResultList::Refresh() {
  if (!changed_ || !hwnd_) return;
  const int shown = RowCount();
  const int count = static_cast<int>(rows_.size());
  // Follow the new rows only while the list shows its end, so a user who
  // has scrolled back to read is not pulled down.
  const bool showsEnd = shown == 0 || ListView_GetTopIndex(hwnd_) + ListView_GetCountPerPage(hwnd_) >= shown;
  // Only appended: the rows on screen stay what they were, and the list
  // view repaints just the new ones that come into view. Rows that moved or
  // went change every row on screen.
  const LPARAM flags = LVSICF_NOSCROLL | (rowsMoved_ ? 0 : LVSICF_NOINVALIDATEALL);
  SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
  if (rowsMoved_) {
    RestoreMarks();
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  changed_ = false;
  rowsMoved_ = false;
  if (showsEnd && count > 0) ListView_EnsureVisible(hwnd_, count - 1, FALSE);
}

void ResultList::NoteMarksBeforeRowsMove() {
  changed_ = true;
  if (rowsMoved_) return;  // noted while the list view still matched the model
  rowsMoved_ = true;
  // Rows appended since the last Refresh leave the indexes of the rows the
  // list view shows as they were.
  auto note = [this](UINT flag) {
    Mark mark;
    if (hwnd_) mark.shownIndex = ListView_GetNextItem(hwnd_, -1, flag);
    if (mark.shownIndex >= 0 && static_cast<std::size_t>(mark.shownIndex) < rows_.size()) {
      mark.serial = rows_[static_cast<std::size_t>(mark.shownIndex)].serial;
    }
    return mark;
  };
  selected_ = note(LVNI_SELECTED);
  focused_ = note(LVNI_FOCUSED);
}

void ResultList::RestoreMarks() {
  auto indexOf = [this](const Mark& mark) {
    for (std::size_t i = 0; mark.serial && i < rows_.size(); ++i) {
      if (rows_[i].serial == *mark.serial) return static_cast<int>(i);
    }
    return -1;  // that row went
  };
  auto move = [this](const Mark& mark, int to, UINT state) {
    if (mark.shownIndex == to) return;
    if (mark.shownIndex >= 0) ListView_SetItemState(hwnd_, mark.shownIndex, 0, state);
    if (to >= 0) ListView_SetItemState(hwnd_, to, state, state);
  };
  move(selected_, indexOf(selected_), LVIS_SELECTED);
  move(focused_, indexOf(focused_), LVIS_FOCUSED);
  selected_ = focused_ = Mark{};
}

void ResultList::Clear() {
  rows_.Clear();
  changed_ = rowsMoved_ = false;
  selected_ = focused_ = Mark{};
  if (hwnd_) SendMessageW(hwnd_, LVM_SETITEMCOUNT, 0, 0);
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

std::optional<int> ResultList::DataIndexOfColumn(int columnIndex) const {
  if (columnIndex < 0 || static_cast<std::size_t>(columnIndex) >= tagsByIndex_.size()) return std::nullopt;
  return DataIndexOfTag(tagsByIndex_[static_cast<std::size_t>(columnIndex)]);
}

void ResultList::Sort(const ResultRows::RowOrder& before) {
  NoteMarksBeforeRowsMove();
  rows_.Sort(before);
  Refresh();
}

int ResultList::FindRow(int start, const std::string& prefix, bool partial, bool wrap) const {
  const int count = std::min(RowCount(), static_cast<int>(rows_.size()));
  if (count <= 0) return -1;
  if (start < 0 || start >= count) start = 0;
  for (int n = 0; n < count; ++n) {
    const int row = start + n;
    if (row >= count && !wrap) break;
    if (MatchesFolded(rows_[static_cast<std::size_t>(row % count)].Text(0), prefix, partial)) return row % count;
  }
  return -1;
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
      const ResultRow* row = nullptr;
      if (item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < rows_.size()) {
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
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
      // Typing in the list: the next row whose caption starts with the
      // typed text. Both forms carry the text at the same place.
      auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
      const LVFINDINFOW& info = find->lvfi;
      result = -1;
      if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz) return true;
      const std::string typed = header->code == LVN_ODFINDITEMW
                                    ? platform::Narrow(info.psz)
                                    : platform::LegacyToUtf8(reinterpret_cast<const char*>(info.psz));
      result = FindRow(find->iStart, typed, (info.flags & LVFI_PARTIAL) != 0, (info.flags & LVFI_WRAP) != 0);
      return true;
    }
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
