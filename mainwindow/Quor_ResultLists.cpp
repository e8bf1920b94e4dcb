#include "mainwindow/Quor_ResultLists.h"

namespace {

constexpr COLORREF kListBackground = RGB(0, 0, 0);

}  // namespace

const std::vector<ColumnSpec>& ArchiveColumns() {
  static const std::vector<ColumnSpec> columns = {
      {1, "Name", 130, LVCFMT_LEFT},
      {2, "Path", 280, LVCFMT_LEFT},
      {3, "Status", 80, LVCFMT_CENTER},
  };
  return columns;
}

const std::vector<ColumnSpec>& StatusColumns() {
  static const std::vector<ColumnSpec> columns = {
      {1, "SFV", 234, LVCFMT_LEFT},     {2, "Total Files", 75, LVCFMT_RIGHT}, {3, "Good", 60, LVCFMT_RIGHT},
      {4, "Bad", 60, LVCFMT_RIGHT},     {5, "Missing", 60, LVCFMT_RIGHT},
  };
  return columns;
}

bool ResultList::Create(HWND parent, int id, const std::vector<ColumnSpec>& columns, int reservedRows,
                        HFONT font) {
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 10, 10, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd_) return false;
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
  ListView_SetBkColor(hwnd_, kListBackground);
  ListView_SetTextBkColor(hwnd_, kListBackground);
  if (font) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(reservedRows), LVSICF_NOINVALIDATEALL);
  int index = 0;
  for (const ColumnSpec& spec : columns) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = spec.format;
    column.cx = spec.width;
    column.pszText = const_cast<char*>(spec.caption);
    column.iSubItem = spec.tag;  // the tag rides along as the column's sub-item number
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    ++index;
  }
  return true;
}

int ResultList::AddRow(const std::vector<std::string>& texts, std::uint32_t colour) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = const_cast<char*>(texts.empty() ? "" : texts[0].c_str());
  item.lParam = static_cast<LPARAM>(colour);
  const int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  for (std::size_t i = 1; i < texts.size(); ++i) {
    LVITEMA sub{};
    sub.iSubItem = static_cast<int>(i);
    sub.pszText = const_cast<char*>(texts[i].c_str());
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
  }
  ListView_EnsureVisible(hwnd_, row, FALSE);
  return row;
}

int ResultList::RowCount() const { return static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

std::string ResultList::Text(int row, int subItem) const {
  char buffer[1024] = {};
  LVITEMA item{};
  item.iSubItem = subItem;
  item.pszText = buffer;
  item.cchTextMax = sizeof buffer;
  SendMessageA(hwnd_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

std::uint32_t ResultList::RowColour(int row) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<std::uint32_t>(item.lParam);
}

void ResultList::Clear() { ListView_DeleteAllItems(hwnd_); }

LRESULT ResultList::CustomDraw(NMLVCUSTOMDRAW* draw) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      draw->clrText = static_cast<COLORREF>(draw->nmcd.lItemlParam);
      draw->clrTextBk = kListBackground;
      return CDRF_NEWFONT;
    default:
      return CDRF_DODEFAULT;
  }
}
