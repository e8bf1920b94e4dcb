// The main window's result lists on screen: a virtual report-style list
// view (LVS_OWNERDATA) whose rows are the rows of a ResultRows model. The
// list view holds only a row count; it asks for row i's texts and colour,
// which come from the model's row i. Columns keep their tag wherever they
// are dragged. A new row costs a model append; the list view learns of it at
// the next Refresh, so that a burst of rows costs one repaint. The window
// that owns the lists forwards its WM_NOTIFY here, after its own handlers
// have taken the header clicks (sorting) and the custom drawing (each row in
// its own colour on the list's background).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/Quor_ResultModel.h"

class ResultList {
 public:
  // columns: the columns the list starts with; limit: rows kept (see
  // ResultRows).
  ResultList(std::vector<ColumnSpec> columns, std::size_t limit);
  ~ResultList();
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  // Creates the list view as a child of parent with that control id.
  bool Create(HWND parent, int id, HFONT font, std::uint32_t background);
  HWND hwnd() const { return hwnd_; }

  // ---- rows ----
  // Drops the oldest row when the list is over its limit and appends a row
  // (caption and sub-items) drawn in colour (none: black), in the model; the
  // list view shows it at the next Refresh.
  void AddRow(std::vector<std::string> texts, std::optional<std::uint32_t> colour);
  // True when the model has rows the list view does not show yet.
  bool RefreshDue() const { return changed_; }
  // Makes the list view show the model as it stands: the row count, the
  // selection and the focus still on their rows after older rows went, and
  // the new rows scrolled into view unless the user has scrolled back from
  // the end. Nothing happens when no row came or went since the last.
  void Refresh();
  // Empties the model and the list view.
  void Clear();
  // Rows the list view shows.
  int RowCount() const;
  // Text of data index dataIndex (0 caption, k sub-item k) of a row in
  // display order, and the colour it is drawn in (from the model, which may
  // hold rows the list view does not show yet).
  std::string Text(int row, int dataIndex) const;
  std::uint32_t RowColour(int row) const;
  const ResultRows& Rows() const { return rows_; }
  // Display index of the selected row, if one is.
  std::optional<int> SelectedRow() const;

  // ---- columns ----
  // Tags of the columns in display order, left to right.
  std::vector<int> DisplayTags() const;
  std::string OrderString() const { return FormatColumnOrder(DisplayTags()); }
  // True when a column with that tag (and, when given, that caption) exists.
  bool HasColumn(int tag, const char* caption = nullptr) const;
  // Adds a column at the right end.
  void AddColumn(const ColumnSpec& column);
  void DeleteColumn(int tag);
  // Moves the columns as ApplyColumnOrder (Quor_ResultModel) says.
  void ApplyColumnOrder(const std::string& order);
  void SetColumnWidth(int tag, int width);
  // The width of the column with that tag; 80 when there is none.
  int GetColumnWidth(int tag) const;
  void SetBackground(std::uint32_t colour);
  std::uint32_t Background() const { return background_; }

  // The data (0 caption, k sub-item k) that the column at that column index
  // shows (the index a header click reports); nothing for no such column.
  std::optional<int> DataIndexOfColumn(int columnIndex) const;
  // Sorts the rows by that comparison and shows them sorted.
  void Sort(const ResultRows::RowOrder& before);

  // Called after the user has dragged a column to a new place, with the
  // new order string.
  std::function<void(const std::string&)> OnColumnsMoved;
  // A right click (or the context-menu key) on the list; screen point.
  std::function<void(POINT)> OnContextMenu;
  // A key pressed with Ctrl held while the list has the focus; true when
  // it was taken.
  std::function<bool(UINT virtualKey)> OnCtrlKey;

  // The parent's WM_NOTIFY for this list: texts and typing to find a row.
  // True when handled; result is then the reply.
  bool HandleNotify(NMHDR* header, LRESULT& result);

 private:
  int ColumnIndexOfTag(int tag) const;
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT ListMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void ColumnsMoved();
  // A virtual list view keeps its selection and focus by index: before the
  // rows move (the oldest goes, or a sort), the rows that hold them are
  // noted, and the next Refresh puts them back on those rows.
  void NoteMarksBeforeRowsMove();
  void RestoreMarks();
  // The first row from start whose caption matches the typed text; -1 for none.
  int FindRow(int start, const std::string& typed, bool partial, bool wrap) const;

  std::vector<ColumnSpec> initialColumns_;
  std::vector<int> tagsByIndex_;  // tag of the column at each column index
  ResultRows rows_;
  HWND hwnd_ = nullptr;
  std::uint32_t background_ = 0;
  bool changed_ = false;     // rows came or went since the last Refresh
  bool rowsMoved_ = false;   // ... and rows the list view shows moved or went
  struct Mark {
    int shownIndex = -1;  // where the list view has it
    std::optional<std::uint64_t> serial;  // the row there (ResultRow::serial)
  };
  Mark selected_, focused_;
};

// A tooltip over a control, with that text.
HWND AddTooltip(HWND owner, HWND control, const char* text);
