#include <gtest/gtest.h>

#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/locale.h"
#include "platform/text.h"
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

TEST(Utf8, WellFormedOnly) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"plain", true},
      {"caf\xC3\xA9 \xE6\xAD\xA9\xE3\x81\x8D \xF0\x9F\x8E\xB5", true},  // 2, 3 and 4 bytes
      {"caf\xE9", false},                                            // a Windows-1252 byte
      {"\xC3", false},                                               // cut short
      {"\xC0\x80", false},                                           // overlong
      {"\xE0\x80\xAF", false},                                       // overlong
      {"\xED\xA0\x80", false},                                       // a surrogate
      {"\xF4\x90\x80\x80", false},                                   // above U+10FFFF
      {"\x80", false},                                               // a lone continuation byte
  };
  for (const auto& [bytes, valid] : cases) EXPECT_EQ(platform::IsValidUtf8(bytes), valid) << bytes;
}

TEST(FileText, TheEncodingIsDecidedOnceForTheWholeText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain.rar 0A1B2C3D", "plain.rar 0A1B2C3D"},
      {"\xEF\xBB\xBFplain.rar", "plain.rar"},                                   // the mark is dropped
      {"\xEF\xBB\xBF" "caf\xC3\xA9.flac", "caf\xC3\xA9.flac"},
      {"\xEF\xBB\xBF" "caf\xE9 \xEC", "caf\xEF\xBF\xBD \xEF\xBF\xBD"},                  // a damaged file
      {"caf\xC3\xA9 \xE2\x80\x93 \xD0\x96", "caf\xC3\xA9 \xE2\x80\x93 \xD0\x96"},  // UTF-8
      {"caf\xE9.flac \x96 \x80", "caf\xC3\xA9.flac \xE2\x80\x93 \xE2\x82\xAC"},  // Windows-1252
      // One byte that is not UTF-8 makes the whole text legacy.
      {"\xC3\xA9 \xE9", "\xC3\x83\xC2\xA9 \xC3\xA9"},
      // UTF-16 with its mark, as Windows PowerShell writes: little and big
      // endian, a character beyond U+FFFF, a lone surrogate and an odd byte.
      {std::string("\xFF\xFEo\0k\0 \0\xE9\0\r\0\n\0", 14), "ok \xC3\xA9\r\n"},
      {std::string("\xFE\xFF\0o\x6B\x69\xD8\x3D\xDE\x00", 10), "o\xE6\xAD\xA9\xF0\x9F\x98\x80"},
      {std::string("\xFF\xFE\x00\xD8x\0y", 7), "\xEF\xBF\xBDx\xEF\xBF\xBD"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(platform::DecodeFileText(bytes), text) << bytes;
}

TEST(FileText, WrittenInTheLegacyCodePageOnlyWhereEverythingFits) {
  const std::string ascii = "; Generated\r\nPart1.rar 0A1B2C3D\r\n";
  EXPECT_EQ(platform::EncodeFileText(ascii), ascii);
  const std::string accented = "caf\xC3\xA9.flac \xE2\x80\x93";
  EXPECT_EQ(platform::EncodeFileText(accented), platform::kWritesLegacyText ? "caf\xE9.flac \x96" : accented);
  const std::string mixed = accented + " \xE6\xAD\xA9";  // a Japanese character fits no Western code page
  EXPECT_EQ(platform::EncodeFileText(mixed), mixed);
  const std::string lookalike = "\xC3\x83\xC2\xA9";  // "Ã©", whose Windows-1252 bytes are UTF-8 for "é"
  EXPECT_EQ(platform::EncodeFileText(lookalike), lookalike);
  for (const std::string& text : {accented, mixed, lookalike}) EXPECT_EQ(platform::DecodeFileText(platform::EncodeFileText(text)), text);
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
