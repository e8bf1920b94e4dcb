// What the main window's two result lists hold and how they behave, without
// a window: the columns with their tags, the rows with their colours and the
// row limits, the sort order, the column order strings, the automatic
// column widths, the text of "Save List" and the command lines of the
// StatusList pop-up menu. The list views in Quor_ListViews show exactly
// this; tests reach it in both builds.
//
// A column's tag (1..5) names its data for the column's whole life: the
// column with tag t shows data t - 1 of each row (0 is the caption, k the
// k-th sub-item), wherever the user drags it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "check/Quor_CheckHost.h"
#include "settings/Quor_Config.h"

enum class ColumnAlign { Left, Centre, Right };

struct ColumnSpec {
  int tag;
  const char* caption;
  int width;  // design width in pixels
  ColumnAlign align;
};

// ArchiveList: Name, Path, Status and the optional File Size; StatusList:
// SFV, Total Files, Good, Bad, Missing. Index = tag - 1.
const std::vector<ColumnSpec>& ArchiveColumnSpecs();
const std::vector<ColumnSpec>& StatusColumnSpecs();

// The "File Size" column of ArchiveList, there only while "Show File Size"
// is checked.
inline constexpr int kFileSizeTag = 4;
inline constexpr char kFileSizeCaption[] = "File Size";
inline constexpr int kFileSizeWidth = 85;
// ArchiveList's columns that are always there.
inline constexpr std::size_t kArchiveFixedColumns = 3;

inline constexpr int DataIndexOfTag(int tag) { return tag - 1; }

// A list holding more rows than its limit drops its oldest row before it
// takes a new one, so it never holds more than limit + 1 rows.
inline constexpr std::size_t kArchiveRowLimit = 2000;
inline constexpr std::size_t kStatusRowLimit = 500;

// The colour a file row is drawn in; nothing for a kind outside 0..5 (such
// a row draws black).
std::optional<std::uint32_t> FileRowColour(FileRowKind kind, const ColourTable& colours);
// A summary row is "OK"-coloured exactly when its total text equals its good
// text, else "Bad"-coloured.
std::uint32_t SfvRowColour(const std::string& total, const std::string& good, const ColourTable& colours);

// The StatusList rows one reported SFV row shows as, each the texts of the
// columns SFV, Total Files, Good, Bad and Missing. An error of the SFV file
// or of its progress file shows as two rows: what failed, then the system's
// error text.
std::vector<std::vector<std::string>> StatusListTexts(const SfvRow& row);

// Text order of the lists: by byte value, case-sensitive, no locale, no
// reading of numbers ("10" before "9", "B" before "a"). <0, 0 or >0.
int CompareListTexts(std::string_view a, std::string_view b);

struct ResultRow {
  std::vector<std::string> texts;  // caption, then the sub-items
  std::uint32_t colour = 0;        // 0x00BBGGRR
  bool hasColour = false;          // false: drawn black
  std::uint64_t serial = 0;        // order of adding, oldest lowest

  // Text of data index i ("" past the end).
  const std::string& Text(std::size_t i) const;
  // The colour the row's text is drawn in.
  std::uint32_t DrawColour() const { return hasColour ? colour : 0; }
};

// The rows of one list in display order; a list view shows row i at its
// index i.
class ResultRows {
 public:
  explicit ResultRows(std::size_t limit) : limit_(limit) {}

  std::size_t size() const { return rows_.size(); }
  const ResultRow& operator[](std::size_t i) const { return *rows_[i]; }
  std::size_t limit() const { return limit_; }

  // Where the row goes that must make room for the next one: nothing while
  // the list holds limit rows or fewer, else the display index of the
  // oldest row.
  std::optional<std::size_t> RowToDropBeforeAdding() const;
  void RemoveAt(std::size_t index);
  // Appends a row at the end of the display order (rows added after a sort
  // are not sorted in). The caller has made room first.
  ResultRow& Append(std::vector<std::string> texts, std::optional<std::uint32_t> colour);
  void Clear();

  // A comparison of two rows: true when a sorts before b.
  using RowOrder = std::function<bool(const ResultRow& a, const ResultRow& b)>;
  // Sorts by that comparison, a strict total order such as SortsBefore gives.
  void Sort(const RowOrder& before);
  // Ascending by data index dataIndex; rows with equal texts keep the order
  // in which they were added. A second sort by the same data gives the same
  // order: there is no descending order.
  void SortBy(int dataIndex);
  // The order SortBy sorts in: a total order, so any sorting routine over
  // the same rows gives the same result.
  static bool SortsBefore(const ResultRow& a, const ResultRow& b, int dataIndex);

 private:
  std::size_t limit_;
  std::vector<std::unique_ptr<ResultRow>> rows_;
  std::uint64_t nextSerial_ = 0;
  bool inAddOrder_ = true;  // no sort since the list was last empty
};

// Rows on their way from the check worker's thread to the window's: the
// worker hands each row over and goes on; the window takes all of them at
// once, in the order they were handed over.
class RowInbox {
 public:
  using Row = std::variant<FileRow, SfvRow>;
  // True when the inbox was empty before: the taker is to be told.
  bool Add(Row row);
  std::vector<Row> TakeAll();

 private:
  std::mutex mutex_;
  std::vector<Row> rows_;
};

// Column order strings ("AColumnOrder", "SColumnOrder"): the tags of the
// columns in display order, left to right, each as its decimal digits.
std::string FormatColumnOrder(const std::vector<int>& tagsInDisplayOrder);

// The display order that applying an order string gives, from the tags in
// their present display order: position i starts at 0; each decimal digit
// d of the string, while i is below the number of columns, moves the column
// with tag d to position i and raises i; other characters and digits of no
// column are skipped. Columns the string leaves out end up after the ones
// placed.
std::vector<int> ApplyColumnOrder(std::vector<int> tagsInDisplayOrder, std::string_view order);

struct TagWidth {
  int tag;
  int width;
};
enum class ListKind { Archive, Status };
// The column widths of "Auto" sizing for a window client width W, by tag:
// ArchiveList N = W / 4 + 10, W - N - 100 (90 less while the File Size
// column is shown), 80, 90; StatusList W - 280, 75, 60, 60, 60.
std::vector<TagWidth> AutoColumnWidths(ListKind list, int clientWidth, bool showFileSize);

// "Save List": the header line, a line of 125 dashes, then one line per
// ArchiveList row in display order, each laid out as "%-35s %12s  %-7s  %s"
// from name, size, status and path (longer fields are not cut) and ended by
// CR LF.
std::string SaveListLine(std::string_view name, std::string_view size, std::string_view status,
                         std::string_view path);
std::string SaveListText(const ResultRows& archiveRows);
inline constexpr char kSaveListDefaultName[] = "SFVOutput.txt";
inline constexpr char kSaveListFailure[] = "Failed to save file..";

// The pop-up menu of StatusList, acting on the selected row's SFV file.
enum class StatusListAction { OpenFolder, ExploreFolder, EditSfv, ReCheck };
// The command line an action starts ("explorer.exe \"<folder>\"",
// "explorer.exe /e,\"<folder>\"", "notepad.exe \"<sfv>\""); the folder is the
// SFV path's folder with its trailing separator. Empty for ReCheck.
std::string StatusListCommandLine(StatusListAction action, const std::string& sfvPath);
