// The result lists' model: colours, row limits, sort order, column orders,
// automatic widths, the saved list's layout and the pop-up command lines.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "mainwindow/Quor_ResultModel.h"

namespace {

std::vector<std::string> Column(const ResultRows& rows, std::size_t data) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < rows.size(); ++i) texts.push_back(rows[i].Text(data));
  return texts;
}

// Adds a row the way the window does: room first, then the row.
void Add(ResultRows& rows, std::vector<std::string> texts) {
  if (std::optional<std::size_t> drop = rows.RowToDropBeforeAdding()) rows.RemoveAt(*drop);
  rows.Append(std::move(texts), std::nullopt);
}

TEST(ResultModelTest, ColumnsCarryTheirTagsCaptionsWidthsAndAlignments) {
  const std::vector<ColumnSpec>& a = ArchiveColumnSpecs();
  ASSERT_EQ(a.size(), 4u);
  EXPECT_STREQ(a[0].caption, "Name");
  EXPECT_EQ(a[1].width, 280);
  EXPECT_EQ(a[2].align, ColumnAlign::Centre);
  EXPECT_EQ(a[3].tag, kFileSizeTag);
  EXPECT_STREQ(a[3].caption, "File Size");
  EXPECT_EQ(a[3].width, 85);
  EXPECT_EQ(a[3].align, ColumnAlign::Right);
  const std::vector<ColumnSpec>& s = StatusColumnSpecs();
  ASSERT_EQ(s.size(), 5u);
  EXPECT_STREQ(s[0].caption, "SFV");
  EXPECT_EQ(s[0].width, 234);
  EXPECT_STREQ(s[1].caption, "Total Files");
  EXPECT_STREQ(s[4].caption, "Missing");
  for (std::size_t i = 0; i < s.size(); ++i) {
    EXPECT_EQ(s[i].tag, static_cast<int>(i) + 1);
    if (i > 0) {
      EXPECT_EQ(s[i].align, ColumnAlign::Right);
    }
  }
}

TEST(ResultModelTest, RowColoursFollowTheKindAndTheSummaryRule) {
  ColourTable c;
  c.background = 0x111111;
  EXPECT_EQ(FileRowColour(FileRowKind::Separator, c), 0x111111u);
  EXPECT_EQ(FileRowColour(FileRowKind::Ok, c), 65280u);
  EXPECT_EQ(FileRowColour(FileRowKind::KnownGood, c), 65518u);
  EXPECT_EQ(FileRowColour(FileRowKind::Bad, c), 255u);
  EXPECT_EQ(FileRowColour(FileRowKind::Missing, c), 12632256u);
  EXPECT_EQ(FileRowColour(FileRowKind::Notice, c), 255u);
  EXPECT_FALSE(FileRowColour(static_cast<FileRowKind>(6), c).has_value());

  EXPECT_EQ(SfvRowColour("5", "5", c), 65280u);
  EXPECT_EQ(SfvRowColour("5", "4", c), 255u);
  // The worker's error rows put one blank in the good column.
  EXPECT_EQ(SfvRowColour("", " ", c), 255u);
  EXPECT_EQ(SfvRowColour("", "", c), 65280u);
}

// Every kind of SFV row as the list shows it: the texts of each row it
// becomes, and whether those rows are drawn in the OK colour.
TEST(ResultModelTest, SfvRowsAreWordedAndColouredByTheirKind) {
  using Texts = std::vector<std::vector<std::string>>;
  const struct {
    SfvRow row;
    Texts texts;
    std::vector<bool> okColour;
  } cases[] = {
      {SfvRow::Totals("D:\\a.sfv", 70000, 70000, 0, 0), {{"D:\\a.sfv", "70000", "70000", "0", "0"}}, {true}},
      {SfvRow::Totals("D:\\a.sfv", 3, 1, 1, 1), {{"D:\\a.sfv", "3", "1", "1", "1"}}, {false}},
      {SfvRow::Totals("D:\\a.sfv", 0, 0, 0, 0), {{"D:\\a.sfv", "0", "0", "0", "0"}}, {true}},
      {SfvRow::Notice(SfvRowKind::InUse, "D:\\a.sfv"), {{"D:\\a.sfv", "Error", "File", "Was", "In Use"}}, {false}},
      {SfvRow::Notice(SfvRowKind::ReadError, "D:\\a.sfv", "Data error."),
       {{"D:\\a.sfv", "Error", "Reading", "SFV", "File"}, {"Data error.", "", "", "", ""}},
       {false}},
      {SfvRow::Notice(SfvRowKind::NoFileLines, "D:\\a.sfv"), {{"D:\\a.sfv: no file lines", "", " ", "", ""}}, {false}},
      {SfvRow::Notice(SfvRowKind::ProgressReadError, "C:\\Q\\Progress\\x_a.sfv", "Access is denied."),
       {{"Error reading progress file !! (C:\\Q\\Progress\\x_a.sfv)", "", " ", "", ""},
        {"Access is denied.", "", " ", "", ""}},
       {false, false}},
      {SfvRow::Notice(SfvRowKind::ProgressWriteError, "p", "Disk full."),
       {{"Error writing progress file !! (p)", "", " ", "", ""}, {"Disk full.", "", " ", "", ""}},
       {false, false}},
  };
  const ColourTable colours;
  for (const auto& c : cases) {
    const Texts texts = StatusListTexts(c.row);
    EXPECT_EQ(texts, c.texts) << c.texts[0][0];
    for (std::size_t i = 0; i < texts.size() && i < c.okColour.size(); ++i) {
      EXPECT_EQ(SfvRowColour(texts[i][1], texts[i][2], colours) == colours.ok, c.okColour[i]) << texts[i][0];
    }
  }
}

TEST(ResultModelTest, TheRowPastTheLimitPushesTheOldestOut) {
  ResultRows rows(kArchiveRowLimit);
  for (int i = 0; i < 2001; ++i) Add(rows, {"f" + std::to_string(i)});
  EXPECT_EQ(rows.size(), 2001u);
  EXPECT_EQ(rows[0].Text(0), "f0");
  Add(rows, {"f2001"});  // the 2002nd
  EXPECT_EQ(rows.size(), 2001u);
  EXPECT_EQ(rows[0].Text(0), "f1");
  EXPECT_EQ(rows[2000].Text(0), "f2001");
}

TEST(ResultModelTest, AfterASortTheOldestRowGoesNotTheFirstShown) {
  ResultRows rows(3);
  for (const char* name : {"m", "c", "z", "a"}) Add(rows, {name});
  rows.SortBy(0);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"a", "c", "m", "z"}));
  Add(rows, {"b"});  // "m" is the oldest
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"a", "c", "z", "b"}));
  Add(rows, {"y"});  // then "c"
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"a", "z", "b", "y"}));
  rows.Clear();
  EXPECT_EQ(rows.size(), 0u);
  Add(rows, {"q"});
  EXPECT_EQ(rows[0].Text(0), "q");
}

TEST(ResultModelTest, SortingIsByByteValueAscendingWithTiesInAddingOrder) {
  ResultRows rows(kStatusRowLimit);
  Add(rows, {"x.sfv", "9", "9"});
  Add(rows, {"b.sfv", "10", "10"});
  Add(rows, {"B.sfv", "9", "2"});
  Add(rows, {"\xE9.sfv", "1", "1"});
  Add(rows, {"a.sfv", "9", ""});
  rows.SortBy(2);  // the "Good" column
  EXPECT_EQ(Column(rows, 2), (std::vector<std::string>{"", "1", "10", "2", "9"}));
  rows.SortBy(1);  // "9" three times: in the order they were added
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"\xE9.sfv", "b.sfv", "x.sfv", "B.sfv", "a.sfv"}));
  rows.SortBy(1);  // a second click sorts ascending again
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"\xE9.sfv", "b.sfv", "x.sfv", "B.sfv", "a.sfv"}));
  rows.SortBy(0);  // upper case before lower case, 0xE9 last
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"B.sfv", "a.sfv", "b.sfv", "x.sfv", "\xE9.sfv"}));
  Add(rows, {"A.sfv"});  // appended, not sorted in
  EXPECT_EQ(rows[5].Text(0), "A.sfv");
  EXPECT_LT(CompareListTexts("10", "9"), 0);
  EXPECT_GT(CompareListTexts("a", "B"), 0);
  EXPECT_EQ(CompareListTexts("same", "same"), 0);
}

TEST(ResultModelTest, ApplyingAnOrderStringMovesColumnsByTag) {
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3, 4}, "1243"), (std::vector<int>{1, 2, 4, 3}));
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3}, "1243"), (std::vector<int>{1, 2, 3}));  // no File Size column
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3, 4}, "4123"), (std::vector<int>{4, 1, 2, 3}));
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3, 4, 5}, "54321"), (std::vector<int>{5, 4, 3, 2, 1}));
  // Tags left out stay behind the placed ones in their present order.
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3, 4, 5}, "3"), (std::vector<int>{3, 1, 2, 4, 5}));
  // Other characters and tags of no column are skipped.
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3, 4, 5}, "x9 5-1"), (std::vector<int>{5, 1, 2, 3, 4}));
  EXPECT_EQ(ApplyColumnOrder({2, 1, 3}, ""), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(FormatColumnOrder({4, 1, 2, 3}), "4123");
  EXPECT_EQ(FormatColumnOrder({}), "");
  // What formatting writes, applying reads back.
  const std::vector<int> shown{3, 5, 1, 4, 2};
  EXPECT_EQ(ApplyColumnOrder({1, 2, 3, 4, 5}, FormatColumnOrder(shown)), shown);
}

TEST(ResultModelTest, AutoWidthsForAClientWidthOf600) {
  auto widths = [](ListKind list, int w, bool size) {
    std::vector<int> out;
    for (const TagWidth& t : AutoColumnWidths(list, w, size)) out.push_back(t.width);
    return out;
  };
  EXPECT_EQ(widths(ListKind::Archive, 600, false), (std::vector<int>{160, 340, 80, 90}));
  EXPECT_EQ(widths(ListKind::Archive, 600, true), (std::vector<int>{160, 250, 80, 90}));
  EXPECT_EQ(widths(ListKind::Status, 600, false), (std::vector<int>{320, 75, 60, 60, 60}));
  // Integer division: 1023 / 4 = 255.
  EXPECT_EQ(widths(ListKind::Archive, 1023, false)[0], 265);
  EXPECT_EQ(widths(ListKind::Archive, 1023, false)[1], 658);
  for (const TagWidth& t : AutoColumnWidths(ListKind::Status, 600, false)) EXPECT_GE(t.tag, 1);
}

TEST(ResultModelTest, SavedListLinesArePaddedAndNeverCut) {
  const std::string header = SaveListLine("File name", "Size", "Status", "File path");
  EXPECT_EQ(header, "File name" + std::string(26, ' ') + " " + std::string(8, ' ') + "Size" + "  " + "Status " +
                        "  " + "File path");
  EXPECT_EQ(SaveListLine("", "", "", ""), std::string(59, ' '));
  const std::string longName(40, 'n');
  EXPECT_EQ(SaveListLine(longName, "1,234,567,890,123", "MISSING", "C:\\x\\"),
            longName + " 1,234,567,890,123  MISSING  C:\\x\\");
  EXPECT_EQ(SaveListLine("a.bin", "1,024", "- OK -", "p"),
            "a.bin" + std::string(30, ' ') + " " + std::string(7, ' ') + "1,024  - OK -   p");
}

TEST(ResultModelTest, SavedListOfRowsInDisplayOrder) {
  ResultRows rows(kArchiveRowLimit);
  const std::string dashes(125, '-');
  const std::string head = SaveListLine("File name", "Size", "Status", "File path") + "\r\n" + dashes + "\r\n";
  EXPECT_EQ(SaveListText(rows), head);
  Add(rows, {"z.bin", "D:\\z\\", "- !BAD! -", "3"});
  Add(rows, {"", "", "", ""});
  Add(rows, {"a.bin", "D:\\a\\", "- OK -"});  // no size text
  rows.SortBy(0);
  EXPECT_EQ(SaveListText(rows), head + std::string(59, ' ') + "\r\n" +
                                    SaveListLine("a.bin", "", "- OK -", "D:\\a\\") + "\r\n" +
                                    SaveListLine("z.bin", "3", "- !BAD! -", "D:\\z\\") + "\r\n");
}

TEST(ResultModelTest, PopupCommandLinesQuoteTheFolderOrTheFile) {
  const std::string sfv = "D:" + std::string(1, platform::kPathSep) + "My Files" + platform::kPathSep + "set.sfv";
  const std::string folder = ExtractFilePath(sfv);
  ASSERT_EQ(folder.back(), platform::kPathSep);
  EXPECT_EQ(StatusListCommandLine(StatusListAction::OpenFolder, sfv), "explorer.exe \"" + folder + "\"");
  EXPECT_EQ(StatusListCommandLine(StatusListAction::ExploreFolder, sfv), "explorer.exe /e,\"" + folder + "\"");
  EXPECT_EQ(StatusListCommandLine(StatusListAction::EditSfv, sfv), "notepad.exe \"" + sfv + "\"");
  EXPECT_EQ(StatusListCommandLine(StatusListAction::ReCheck, sfv), "");
}

// Rows handed over from the worker's thread while the window's takes them
// now and then: every row arrives, in order, and the taker is told once for
// each batch, when its first row finds the inbox empty.
TEST(ResultModelTest, RowInboxHandsOverEveryRowInOrderAcrossThreads) {
  constexpr int kRows = 20000;
  RowInbox inbox;
  int tellings = 0;
  std::thread worker([&] {
    for (int i = 0; i < kRows; ++i) {
      const std::string text = std::to_string(i);
      RowInbox::Row row = i % 100 == 99 ? RowInbox::Row(SfvRow::Totals(text, 0, 0, 0, 0))
                                        : RowInbox::Row(FileRow{text, "", "", "", FileRowKind::Ok});
      if (inbox.Add(std::move(row))) ++tellings;
    }
  });
  std::vector<std::string> taken;
  int batches = 0;
  while (taken.size() < static_cast<std::size_t>(kRows)) {
    const std::vector<RowInbox::Row> rows = inbox.TakeAll();
    if (!rows.empty()) ++batches;
    for (const RowInbox::Row& row : rows) {
      const FileRow* file = std::get_if<FileRow>(&row);
      taken.push_back(file ? file->name : "sfv " + std::get<SfvRow>(row).path);
    }
  }
  worker.join();
  for (int i = 0; i < kRows; ++i) {
    ASSERT_EQ(taken[static_cast<std::size_t>(i)], (i % 100 == 99 ? "sfv " : "") + std::to_string(i)) << i;
  }
  EXPECT_EQ(tellings, batches);
  EXPECT_TRUE(inbox.TakeAll().empty());
}

}  // namespace
