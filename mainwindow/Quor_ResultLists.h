// The two result lists of the main window, ArchiveList (one row per file)
// and StatusList (one row per SFV file): report-style list views on a
// black background whose rows each carry the colour they were added with.
// Each column carries a tag (1..5) that names its data for its whole life.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

struct ColumnSpec {
  int tag;
  const char* caption;
  int width;
  int format;  // LVCFMT_LEFT, LVCFMT_CENTER or LVCFMT_RIGHT
};

// The columns each list starts with.
const std::vector<ColumnSpec>& ArchiveColumns();  // Name, Path, Status (File Size comes and goes)
const std::vector<ColumnSpec>& StatusColumns();   // SFV, Total Files, Good, Bad, Missing

class ResultList {
 public:
  // Creates the list view as a child of parent with that control id.
  bool Create(HWND parent, int id, const std::vector<ColumnSpec>& columns, int reservedRows, HFONT font);
  HWND hwnd() const { return hwnd_; }

  // Appends a row (caption and sub-items) drawn in colour (0x00BBGGRR) and
  // scrolls it into view. Returns its index.
  int AddRow(const std::vector<std::string>& texts, std::uint32_t colour);
  int RowCount() const;
  std::string Text(int row, int subItem) const;
  std::uint32_t RowColour(int row) const;
  void Clear();

  // NM_CUSTOMDRAW of this list: each row in its own colour.
  LRESULT CustomDraw(NMLVCUSTOMDRAW* draw) const;

 private:
  HWND hwnd_ = nullptr;
};
