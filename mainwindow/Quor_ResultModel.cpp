#include "mainwindow/Quor_ResultModel.h"

#include <algorithm>
#include <cstring>

#include "core/Quor_Text.h"

const std::vector<ColumnSpec>& ArchiveColumnSpecs() {
  static const std::vector<ColumnSpec> columns = {
      {1, "Name", 130, ColumnAlign::Left},
      {2, "Path", 280, ColumnAlign::Left},
      {3, "Status", 80, ColumnAlign::Centre},
      {kFileSizeTag, kFileSizeCaption, kFileSizeWidth, ColumnAlign::Right},
  };
  return columns;
}

const std::vector<ColumnSpec>& StatusColumnSpecs() {
  static const std::vector<ColumnSpec> columns = {
      {1, "SFV", 234, ColumnAlign::Left},  {2, "Total Files", 75, ColumnAlign::Right},
      {3, "Good", 60, ColumnAlign::Right}, {4, "Bad", 60, ColumnAlign::Right},
      {5, "Missing", 60, ColumnAlign::Right},
  };
  return columns;
}

std::optional<std::uint32_t> FileRowColour(FileRowKind kind, const ColourTable& colours) {
  switch (kind) {
    case FileRowKind::Separator: return colours.background;
    case FileRowKind::Ok: return colours.ok;
    case FileRowKind::KnownGood: return colours.knownGood;
    case FileRowKind::Bad: return colours.bad;
    case FileRowKind::Missing: return colours.missing;
    case FileRowKind::Notice: return colours.bad;
  }
  return std::nullopt;
}

std::uint32_t SfvRowColour(const std::string& total, const std::string& good, const ColourTable& colours) {
  return total == good ? colours.ok : colours.bad;
}

std::vector<std::vector<std::string>> StatusListTexts(const SfvRow& row) {
  // A single blank in the Good column makes a notice differ from its empty
  // total, so that it is drawn in the bad colour.
  const auto progressError = [&](const char* what) {
    return std::vector<std::vector<std::string>>{
        {std::string("Error ") + what + " progress file !! (" + row.path + ")", "", " ", "", ""},
        {row.text, "", " ", "", ""}};
  };
  switch (row.kind) {
    case SfvRowKind::Totals:
      return {{row.path, std::to_string(row.total), std::to_string(row.good), std::to_string(row.bad),
               std::to_string(row.missing)}};
    case SfvRowKind::InUse: return {{row.path, "Error", "File", "Was", "In Use"}};
    case SfvRowKind::ReadError: return {{row.path, "Error", "Reading", "SFV", "File"}, {row.text, "", "", "", ""}};
    case SfvRowKind::NoFileLines: return {{row.path + ": no file lines", "", " ", "", ""}};
    case SfvRowKind::ProgressReadError: return progressError("reading");
    case SfvRowKind::ProgressWriteError: return progressError("writing");
  }
  return {};
}

int CompareListTexts(std::string_view a, std::string_view b) {
  // std::string_view compares with char_traits<char>, which orders by
  // unsigned byte value, so "é" (0xE9) sorts after "z" in every build.
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

const std::string& ResultRow::Text(std::size_t i) const {
  static const std::string kEmpty;
  return i < texts.size() ? texts[i] : kEmpty;
}

std::optional<std::size_t> ResultRows::RowToDropBeforeAdding() const {
  if (rows_.size() <= limit_) return std::nullopt;
  if (inAddOrder_) return 0;
  // After a sort the oldest row can stand anywhere; the list is short.
  std::size_t oldest = 0;
  for (std::size_t i = 1; i < rows_.size(); ++i) {
    if (rows_[i]->serial < rows_[oldest]->serial) oldest = i;
  }
  return oldest;
}

void ResultRows::RemoveAt(std::size_t index) {
  if (index >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  if (rows_.empty()) inAddOrder_ = true;
}

ResultRow& ResultRows::Append(std::vector<std::string> texts, std::optional<std::uint32_t> colour) {
  auto row = std::make_unique<ResultRow>();
  row->texts = std::move(texts);
  row->hasColour = colour.has_value();
  row->colour = colour.value_or(0);
  row->serial = nextSerial_++;
  rows_.push_back(std::move(row));
  return *rows_.back();
}

void ResultRows::Clear() {
  rows_.clear();
  inAddOrder_ = true;
}

bool ResultRows::SortsBefore(const ResultRow& a, const ResultRow& b, int dataIndex) {
  const std::size_t i = dataIndex < 0 ? 0 : static_cast<std::size_t>(dataIndex);
  const int c = CompareListTexts(a.Text(i), b.Text(i));
  if (c != 0) return c < 0;
  return a.serial < b.serial;
}

void ResultRows::SortBy(int dataIndex) {
  Sort([dataIndex](const ResultRow& a, const ResultRow& b) { return SortsBefore(a, b, dataIndex); });
}

void ResultRows::Sort(const RowOrder& before) {
  std::sort(rows_.begin(), rows_.end(), [&before](const std::unique_ptr<ResultRow>& a,
                                                  const std::unique_ptr<ResultRow>& b) { return before(*a, *b); });
  // Sorting by a column of equal texts leaves the rows in adding order, but
  // the oldest row is found by search from now on all the same.
  inAddOrder_ = rows_.size() <= 1;
}

bool RowInbox::Add(Row row) {
  const std::lock_guard<std::mutex> lock(mutex_);
  rows_.push_back(std::move(row));
  return rows_.size() == 1;
}

std::vector<RowInbox::Row> RowInbox::TakeAll() {
  std::vector<Row> taken;
  const std::lock_guard<std::mutex> lock(mutex_);
  taken.swap(rows_);
  return taken;
}

std::string FormatColumnOrder(const std::vector<int>& tagsInDisplayOrder) {
  std::string order;
  for (int tag : tagsInDisplayOrder) order += std::to_string(tag);
  return order;
}

std::vector<int> ApplyColumnOrder(std::vector<int> tags, std::string_view order) {
  std::size_t position = 0;
  for (char c : order) {
    if (position >= tags.size()) break;
    if (c < '0' || c > '9') continue;
    const auto found = std::find(tags.begin(), tags.end(), c - '0');
    if (found == tags.end()) continue;
    const std::size_t from = static_cast<std::size_t>(found - tags.begin());
    if (from != position) {
      const int tag = *found;
      tags.erase(found);
      tags.insert(tags.begin() + static_cast<std::ptrdiff_t>(position), tag);
    }
    ++position;
  }
  return tags;
}

std::vector<TagWidth> AutoColumnWidths(ListKind list, int w, bool showFileSize) {
  if (list == ListKind::Status) return {{1, w - 280}, {2, 75}, {3, 60}, {4, 60}, {5, 60}};
  const int n = w / 4 + 10;
  return {{1, n}, {2, w - n - 100 - (showFileSize ? 90 : 0)}, {3, 80}, {kFileSizeTag, 90}};
}

namespace {

// printf's "%-Ns" (left) and "%Ns" (right) for any length of text.
void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool left) {
  const std::size_t pad = text.size() < width ? width - text.size() : 0;
  if (!left) out.append(pad, ' ');
  out.append(text);
  if (left) out.append(pad, ' ');
}

}  // namespace

std::string SaveListLine(std::string_view name, std::string_view size, std::string_view status,
                         std::string_view path) {
  std::string line;
  line.reserve(60 + name.size() + size.size() + status.size() + path.size());
  AppendPadded(line, name, 35, true);
  line += ' ';
  AppendPadded(line, size, 12, false);
  line += "  ";
  AppendPadded(line, status, 7, true);
  line += "  ";
  line.append(path);
  return line;
}

std::string SaveListText(const ResultRows& rows) {
  std::string text = SaveListLine("File name", "Size", "Status", "File path");
  text += "\r\n";
  text.append(125, '-');
  text += "\r\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ResultRow& row = rows[i];
    text += SaveListLine(row.Text(0), row.Text(3), row.Text(2), row.Text(1));
    text += "\r\n";
  }
  return text;
}

std::string StatusListCommandLine(StatusListAction action, const std::string& sfvPath) {
  const std::string folder = ExtractFilePath(sfvPath);
  switch (action) {
    case StatusListAction::OpenFolder: return "explorer.exe \"" + folder + "\"";
    case StatusListAction::ExploreFolder: return "explorer.exe /e,\"" + folder + "\"";
    case StatusListAction::EditSfv: return "notepad.exe \"" + sfvPath + "\"";
    case StatusListAction::ReCheck: break;
  }
  return "";
}
