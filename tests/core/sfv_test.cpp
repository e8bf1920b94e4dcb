#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/Quor_Sfv.h"
#include "platform/fs.h"

namespace {

using testutil::TempDir;

struct LineCase {
  std::string line;
  bool isFileLine;
  std::string name;  // when a file line
  std::uint32_t crc;
};

TEST(SfvLine, EveryLineFormReadsAsDocumented) {
  const std::vector<LineCase> cases = {
      {"Part1.rar 0a1b2c3d", true, "Part1.rar", 0x0A1B2C3D},
      {"Part1.rar 0x0A1B2C3D", true, "Part1.rar", 0x0A1B2C3D},
      {"Part1.rar 0X0A1B2C3D", true, "Part1.rar", 0x0A1B2C3D},
      {"My File.rar 0A1B2C3D", true, "My File.rar", 0x0A1B2C3D},
      {"Part1.rar  0A1B2C3D", true, "Part1.rar ", 0x0A1B2C3D},
      {" ; Part1.rar 0A1B2C3D", true, " ; Part1.rar", 0x0A1B2C3D},
      {"ab FFFFFFFF", true, "ab", 0xFFFFFFFF},
      {"Part1.rar 0A1B2C3D ", false, "", 0},
      {"Part1.rar\t0A1B2C3D", false, "", 0},
      {"Part1.rar 0A1B2C3", false, "", 0},
      {"Part1.rar 0A1B2C3G", false, "", 0},
      {"Part1.rar 0x0A1B2C3", false, "", 0},
      {"a 0A1B2C3D", true, "a", 0x0A1B2C3D},
      {" 0A1B2C3D", false, "", 0},
      {"; Part1.rar 0A1B2C3D", false, "", 0},
      {";Part1.rar 0A1B2C3D", false, "", 0},
      {"", false, "", 0},
      {"   ", false, "", 0},
      {"nofileline", false, "", 0},
  };
  for (const LineCase& c : cases) {
    std::string line = c.line;
    ASSERT_EQ(IsSfvLine(line), c.isFileLine) << "line: [" << c.line << "]";
    if (!c.isFileLine) continue;
    std::string name;
    std::uint32_t crc = 1;
    ASSERT_TRUE(SplitSfvLine(line, name, crc)) << c.line;
    EXPECT_EQ(name, c.name) << c.line;
    EXPECT_EQ(crc, c.crc) << c.line;
  }
}

TEST(SfvLine, HexPrefixIsRemovedFromTheLineItself) {
  std::string line = "Part1.rar 0x0A1B2C3D";
  ASSERT_TRUE(IsSfvLine(line));
  EXPECT_EQ(line, "Part1.rar 0A1B2C3D");
}

TEST(SfvLine, SplitRejectsLinesOfTheWrongShape) {
  std::string name = "x";
  std::uint32_t crc = 5;
  EXPECT_FALSE(SplitSfvLine("Part1.rar 0A1B2C3", name, crc));
  EXPECT_EQ(name, "");
  EXPECT_EQ(crc, 0u);
  EXPECT_FALSE(SplitSfvLine("Part1.rar 0A1B2C3G", name, crc));
  EXPECT_FALSE(SplitSfvLine("noblank", name, crc));
}

TEST(SfvWriter, LineFormats) {
  EXPECT_EQ(SfvGeneratedLine(), "; Generated with Quor v1.39");
  EXPECT_EQ(FormatSfvLine("Part1.rar", 0x0a1b2c3d), "Part1.rar 0A1B2C3D");
  EXPECT_EQ(FormatSfvLine("x", 0), "x 00000000");
}

TEST(LoadSfvFile, LineEndsOfEveryKindReadTheSame) {
  TempDir dir;
  testutil::WriteBytes(dir / "a.rar", "12345");
  testutil::WriteBytes(dir / "b.rar", "123");
  const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
  for (const std::string& eol : ends) {
    testutil::WriteBytes(dir / "t.sfv", "; comment" + eol + "a.rar 0x0000000A" + eol + eol + "bad line" + eol +
                                            "b.rar 0000000b" + eol + "missing.rar 12345678");
    SfvContent content = LoadSfvFile(dir / "t.sfv");
    EXPECT_EQ(content.lines, (std::vector<std::string>{"a.rar 0000000A", "b.rar 0000000b",
                                                       "missing.rar 12345678"}));
    EXPECT_EQ(content.totalSize, 8u);
    EXPECT_EQ(content.errorText, "");
  }
}

TEST(LoadSfvFile, NamesReadTheSameInEveryEncoding) {
  TempDir dir;
  const std::string cafe = "caf\xC3\xA9.flac", dash = "Music001 \xE2\x80\x93 Live.mp3";
  testutil::WriteBytes(dir / cafe, "1234");
  testutil::WriteBytes(dir / dash, "12");
  const std::string utf8 = cafe + " 0A1B2C3D\r\n" + dash + " 0A1B2C3D\r\n";
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (char16_t c : std::u16string(u"caf\u00e9.flac 0A1B2C3D\r\nMusic001 \u2013 Live.mp3 0A1B2C3D\r\n")) {
    const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
    utf16le += {low, high};
    utf16be += {high, low};
  }
  const std::vector<std::string> encodings = {
      utf8, "\xEF\xBB\xBF" + utf8, "caf\xE9.flac 0A1B2C3D\r\nMusic001 \x96 Live.mp3 0A1B2C3D\r\n", utf16le, utf16be};
  for (const std::string& bytes : encodings) {
    testutil::WriteBytes(dir / "t.sfv", bytes);
    const SfvContent content = LoadSfvFile(dir / "t.sfv");
    EXPECT_EQ(content.lines, (std::vector<std::string>{cafe + " 0A1B2C3D", dash + " 0A1B2C3D"})) << bytes;
    EXPECT_EQ(content.totalSize, 6u) << bytes;
  }
}

// Some tools pad names to a column before the CRC. Windows drops blanks and
// dots at a name's end when it opens a path; the POSIX build finds the file
// the same way, when no file of the padded name stands there.
TEST(LoadSfvFile, ANamePaddedWithBlanksAndDotsFindsTheFileWindowsWouldOpen) {
  TempDir dir;
  testutil::WriteBytes(dir / "file1.mp3", "12345");
  for (const std::string name : {"file1.mp3   ", "file1.mp3.", "file1.mp3 . "}) {
    const ListedFile file = LookUpListedFile(dir.path(), name);
    ASSERT_TRUE(file.entry.has_value()) << "[" << name << "]";
    EXPECT_EQ(file.entry->size, 5u);
    testutil::WriteBytes(dir / "pad.sfv", name + " 0A1B2C3D\r\n");
    EXPECT_EQ(LoadSfvFile(dir / "pad.sfv").totalSize, 5u) << "[" << name << "]";
  }
  EXPECT_FALSE(LookUpListedFile(dir.path(), "file2.mp3  ").entry.has_value());
#ifndef _WIN32
  // A file that has the padded name itself is the one listed.
  testutil::WriteBytes(dir / "file1.mp3 ", "1");
  EXPECT_EQ(LookUpListedFile(dir.path(), "file1.mp3 ").entry->size, 1u);
#endif
}

// A long list (whose total may come from one listing of the folder) counts
// what look-ups would: files in sub-folders, padded and other-case names
// where the system finds them, nothing for a missing name or a folder.
TEST(LoadSfvFile, ALongListTotalsWhatLookUpsWould) {
  TempDir dir;
  testutil::MakeFolder(dir / "sub");
  std::string list;
  std::uint64_t expected = 0;
  for (int i = 0; i < 20; ++i) {
    const std::string name = "f" + std::to_string(i) + ".bin";
    testutil::WriteBytes(dir / name, std::string(static_cast<std::size_t>(i), 'x'));
    list += name + " 00000000\r\n";
    expected += static_cast<std::uint64_t>(i);
  }
  testutil::WriteBytes(dir / "sub/in.bin", "12345");
  testutil::WriteBytes(dir / "Mixed.bin", "123");
  list += std::string("sub") + platform::kPathSep + "in.bin 00000000\r\nf3.bin   00000000\r\nmissing.bin 00000000\r\n" +
          "sub 00000000\r\n" + (platform::FileNameKey("a") == "a" ? "Mixed.bin" : "MIXED.BIN") + " 00000000\r\n";
  testutil::WriteBytes(dir / "long.sfv", list);
  EXPECT_EQ(LoadSfvFile(dir / "long.sfv").totalSize, expected + 5 + 3 + 3);
}

TEST(LoadSfvFile, KeepsDuplicatesAndStopsAPieceAtANulByte) {
  TempDir dir;
  std::string bytes = "x.rar 00000001\r\nx.rar 00000001\r\nbefore.rar 00000002";
  bytes += '\0';
  bytes += "\r\nlost.rar 00000003\r\n";
  testutil::WriteBytes(dir / "zero-byte.sfv", bytes);
  SfvContent content = LoadSfvFile(dir / "zero-byte.sfv");
  EXPECT_EQ(content.lines, (std::vector<std::string>{"x.rar 00000001", "x.rar 00000001", "before.rar 00000002"}));
}

TEST(LoadSfvFile, MissingFileAndBinaryGarbageGiveNothing) {
  TempDir dir;
  SfvContent missing = LoadSfvFile(dir / "none.sfv");
  EXPECT_TRUE(missing.lines.empty());
  EXPECT_EQ(missing.totalSize, 0u);
  EXPECT_EQ(missing.errorText, "");

  std::string garbage;
  for (int i = 1; i < 256; ++i) garbage += static_cast<char>(i);
  testutil::WriteBytes(dir / "garbage.sfv", garbage + garbage);
  EXPECT_TRUE(LoadSfvFile(dir / "garbage.sfv").lines.empty());
}

TEST(LoadSfvFile, TotalIsTheSumOfTheWholeSizes) {
  TempDir dir;
  // A file of 5 GiB counts as 5 GiB, not as its 1 GiB above 2^32.
  for (auto [name, size] : {std::pair{"three.bin", 3000000000ULL}, std::pair{"two.bin", 2000000000ULL},
                            std::pair{"five.iso", 5ULL << 30}}) {
    platform::File file = platform::File::Open(dir / name, platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    ASSERT_TRUE(file.SetSize(size, error)) << error;
  }
  testutil::WriteBytes(dir / "big.sfv", "three.bin 00000000\r\ntwo.bin 00000000\r\nfive.iso 00000000\r\n");
  EXPECT_EQ(LoadSfvFile(dir / "big.sfv").totalSize, 5000000000ULL + (5ULL << 30));
}

TEST(LoadSfvFile, NamesInSubFoldersUseBackslashes) {
  TempDir dir;
  testutil::MakeFolder(dir / "sub");
  testutil::WriteBytes(dir / "sub/inner.rar", "1234");
  testutil::WriteBytes(dir / "nested.sfv", "sub\\inner.rar 00000000\r\n");
  EXPECT_EQ(LoadSfvFile(dir / "nested.sfv").totalSize, 4u);
}

TEST(LoadSfvFile, ManyLinesAreAllKept) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 70000; ++i) text += "f" + std::to_string(i) + ".r 0A1B2C3D\r\n";
  testutil::WriteBytes(dir / "many.sfv", text);
  EXPECT_EQ(LoadSfvFile(dir / "many.sfv").lines.size(), 70000u);
}

}  // namespace
