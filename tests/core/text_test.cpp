#include <gtest/gtest.h>

#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/locale.h"
#include "shell/Quor_MiscLib.h"

namespace {

const std::string S(1, platform::kPathSep);

TEST(ListText, SplitAndJoin) {
  EXPECT_EQ(SplitListText("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitListText("a\nb\rc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitListText("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitListText("").empty());
  EXPECT_EQ(JoinListText({"a", "b"}), "a\r\nb\r\n");
  EXPECT_EQ(JoinListText({}), "");
}

TEST(PathParts, SplitOnTheSeparator) {
  const std::string path = "C:" + S + "Rel" + S + "Show.Name" + S + "x.part1.rar";
  EXPECT_EQ(ExtractFilePath(path), "C:" + S + "Rel" + S + "Show.Name" + S);
  EXPECT_EQ(ExtractFileName(path), "x.part1.rar");
  EXPECT_EQ(ExtractFileExt(path), ".rar");
  EXPECT_EQ(ExtractFileExt("dir.d" + S + "README"), "");
  EXPECT_EQ(IncludeTrailingSeparator("a"), "a" + S);
  EXPECT_EQ(IncludeTrailingSeparator("a" + S), "a" + S);
  EXPECT_EQ(ExcludeTrailingSeparator("a" + S), "a");
  EXPECT_EQ(TrimText(" \t\r\nabc \x01"), "abc");
}

TEST(FormatThousands, GroupsOfThree) {
  const std::string sep = platform::ThousandsSeparator();
  EXPECT_EQ(FormatThousands(0), "0");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1000), "1" + sep + "000");
  EXPECT_EQ(FormatThousands(1234567), "1" + sep + "234" + sep + "567");
  EXPECT_EQ(FormatThousands(4294967295u), "4" + sep + "294" + sep + "967" + sep + "295");
}

TEST(ProgressFileName, FolderNameUnderscoreAndFileName) {
  EXPECT_EQ(ProgressFileName("C:" + S + "Downloads" + S + "Show" + S + "Part1.SFV"), "show_part1.sfv");
  EXPECT_EQ(ProgressFileName("C:" + S + "Part1.SFV"), "_part1.sfv");
  EXPECT_EQ(ProgressFileName("Part1.SFV"), "");
  EXPECT_EQ(ProgressFileName(S + "Top" + S + "a.sfv"), "top_a.sfv");
}

}  // namespace
