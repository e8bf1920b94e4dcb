#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"

namespace {

using testutil::TempDir;

const std::string kMd5 = "d41d8cd98f00b204e9800998ecf8427e";
const std::string kSha1 = "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709";
const std::string kSha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::string kSha512 = std::string(128, 'a');

// A name with the platform's separator where the list has '/'.
std::string Native(std::string name) {
  for (char& c : name) {
    if (c == '/') c = platform::kPathSep;
  }
  return name;
}

struct LineCase {
  std::string line;
  std::optional<HashKind> listHash;  // what the list's name says
  bool read;                         // an entry comes out
  std::string name;
  HashKind hash = HashKind::Md5;
};

TEST(ChecksumList, LinesOfEveryForm) {
  const LineCase cases[] = {
      // GNU: text and binary markers name the same file; digits in either case.
      {kSha256 + "  a b.iso", HashKind::Sha256, true, "a b.iso", HashKind::Sha256},
      {kSha256 + " *a b.iso", HashKind::Sha256, true, "a b.iso", HashKind::Sha256},
      {AsciiUpper(kMd5) + "  x", HashKind::Md5, true, "x", HashKind::Md5},
      // A single blank (md5 -r); more blanks belong to the name.
      {kMd5 + " x", HashKind::Md5, true, "x"},
      {kMd5 + "   x", HashKind::Md5, true, " x"},
      {kMd5 + "  *x", HashKind::Md5, true, "*x"},
      // Without a hash from the list's name, the digits' length decides.
      {kMd5 + "  m", std::nullopt, true, "m", HashKind::Md5},
      {kSha1 + "  s", std::nullopt, true, "s", HashKind::Sha1},
      {kSha256 + "  s", std::nullopt, true, "s", HashKind::Sha256},
      {kSha512 + "  s", std::nullopt, true, "s", HashKind::Sha512},
      // A length that is not the list's hash, or no hash's at all.
      {kMd5 + "  m", HashKind::Sha256, false, ""},
      {kMd5.substr(1) + "  m", std::nullopt, false, ""},
      {"0A1B2C3D  m", std::nullopt, false, ""},
      // Escaped names (sha256sum writes them for a backslash or a line end).
      {"\\" + kMd5 + "  a\\\\b", HashKind::Md5, true, Native("a/b")},
      {"\\" + kMd5 + "  line\\nend", HashKind::Md5, true, "line\nend"},
      {"\\" + kMd5 + "  bad\\qescape", HashKind::Md5, false, ""},
      // Folders: '/' and '\' both separate; a leading "./" goes.
      {kMd5 + "  ./sub/f.bin", HashKind::Md5, true, Native("sub/f.bin")},
      {kMd5 + "  sub\\f.bin", HashKind::Md5, true, Native("sub/f.bin")},
      // BSD: the tag names the hash, in any letter case, whatever the list's name.
      {"SHA256 (a (1).iso) = " + kSha256, HashKind::Md5, true, "a (1).iso", HashKind::Sha256},
      {"sha1 (x) = " + kSha1, std::nullopt, true, "x", HashKind::Sha1},
      {"MD5 (x y) = " + kMd5, HashKind::Md5, true, "x y", HashKind::Md5},
      {"\\SHA512 (a\\\\b) = " + kSha512, std::nullopt, true, Native("a/b"), HashKind::Sha512},
      {"SHA256 (x) = " + kMd5, std::nullopt, false, ""},
      {"SHA3 (x) = " + kSha256, std::nullopt, false, ""},
      // Comments, blanks and junk.
      {"# " + kMd5 + "  x", HashKind::Md5, false, ""},
      {"; " + kMd5 + "  x", HashKind::Md5, false, ""},
      {"", HashKind::Md5, false, ""},
      {"   ", HashKind::Md5, false, ""},
      {kMd5, HashKind::Md5, false, ""},
      {kMd5 + "  ", HashKind::Md5, false, ""},
      {kMd5 + "\tx", HashKind::Md5, false, ""},
      {"not a checksum line at all", std::nullopt, false, ""},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    std::optional<ListEntry> entry = ReadBsdLine(c.line);
    if (!entry) entry = ReadGnuLine(c.line, c.listHash);
    ASSERT_EQ(entry.has_value(), c.read);
    if (!entry) continue;
    EXPECT_EQ(entry->name, c.name);
    EXPECT_EQ(entry->hash, c.hash);
    EXPECT_EQ(entry->expected.size(), HashLength(c.hash));
  }
}

TEST(ChecksumList, TheListsNameGivesItsHash) {
  const std::pair<const char*, std::optional<HashKind>> cases[] = {
      {"a.sfv", HashKind::Crc32},        {"a.SHA256", HashKind::Sha256},     {"x.y.md5", HashKind::Md5},
      {"a.sha1", HashKind::Sha1},        {"a.Sha512", HashKind::Sha512},     {"SHA256SUMS", HashKind::Sha256},
      {"sha1sums.txt", HashKind::Sha1},  {"Md5Sums", HashKind::Md5},         {"SHA512SUMS.txt", HashKind::Sha512},
      {"SHA256SUMS.gpg", std::nullopt},  {"SHA256SUMS.asc", std::nullopt},  {"SHA256SUMSX", std::nullopt},
      {"a.sha256.txt", std::nullopt},    {"a.sha", std::nullopt},           {"MYSHA256SUMS", std::nullopt},
      {"a.txt", std::nullopt},           {"sha256", std::nullopt},
  };
  for (const auto& [name, hash] : cases) EXPECT_EQ(ListHashOfName(name), hash) << name;
}

TEST(ChecksumList, ReadsAFileAsSha256sumWritesIt) {
  TempDir dir;
  testutil::WriteBytes(dir / "f.bin", "12345");
  const std::string bom = "\xEF\xBB\xBF";
  testutil::WriteBytes(dir / "x.sha256", bom + "# made by hand\r\n" + kSha256 + "  f.bin\r\n\r\n" + kMd5 +
                                             "  wrong length\n" + "SHA1 (g) = " + kSha1 + "\r" + kSha256 +
                                             " *caf\xC3\xA9 \xE6\xAD\xA9.txt");
  const ChecksumList list = LoadChecksumList(dir / "x.sha256");
  EXPECT_TRUE(list.errorText.empty());
  EXPECT_EQ(list.hash, HashKind::Sha256);
  ASSERT_EQ(list.entries.size(), 3u);
  EXPECT_EQ(list.entries[0].name, "f.bin");
  EXPECT_EQ(list.entries[1].name, "g");
  EXPECT_EQ(list.entries[1].hash, HashKind::Sha1);
  EXPECT_EQ(list.entries[2].name, "caf\xC3\xA9 \xE6\xAD\xA9.txt");
  EXPECT_EQ(list.totalSize, 5u);
  // The pick list sees each name and a tag of the entry, whose last nine
  // characters it hides; the lines it gives back pick the entries.
  EXPECT_EQ(list.entries[0].line, "f.bin 00000000");
  EXPECT_EQ(list.entries[2].line.substr(0, list.entries[2].line.size() - 9), list.entries[2].name);
  const std::vector<ListEntry> picked = PickedEntries(list.entries, {list.entries[2].line, "unknown 00000009"});
  ASSERT_EQ(picked.size(), 1u);
  EXPECT_EQ(picked[0].name, list.entries[2].name);
}

TEST(ChecksumList, SfvFilesAndUnnamedListsKeepTheirReaders) {
  TempDir dir;
  // A ".sfv" file is read as ever, even when it holds lines of digests.
  testutil::WriteBytes(dir / "a.sfv", "; c\r\nfile.rar 0x0A1B2C3D\r\n" + kMd5 + "  x\r\n");
  const ChecksumList sfv = LoadChecksumList(dir / "a.sfv");
  ASSERT_EQ(sfv.entries.size(), 1u);
  EXPECT_EQ(sfv.entries[0].line, "file.rar 0A1B2C3D");
  EXPECT_EQ(HexText(sfv.entries[0].expected), "0A1B2C3D");
  EXPECT_EQ(sfv.entries[0].hash, HashKind::Crc32);
  // A name that says nothing: SFV lines first, then digests by their length.
  testutil::WriteBytes(dir / "sums.txt", kSha1 + "  x\n" + kSha256 + "  y\n");
  const ChecksumList unnamed = LoadChecksumList(dir / "sums.txt");
  ASSERT_EQ(unnamed.entries.size(), 2u);
  EXPECT_EQ(unnamed.entries[0].hash, HashKind::Sha1);
  EXPECT_EQ(unnamed.entries[1].hash, HashKind::Sha256);
}

TEST(ChecksumList, WrittenLinesReadBack) {
  const std::string digest = std::string("\x01\xAB\xFF", 3) + std::string(29, '\x10');
  for (const std::string name : {"plain.iso", "with  blanks", "*star", "back\\slash", "two\nlines", "caf\xC3\xA9"}) {
    SCOPED_TRACE(name);
    const std::string line = FormatGnuLine(name, digest);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const std::optional<ListEntry> entry = ReadGnuLine(line, HashKind::Sha256);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->expected, digest);
    EXPECT_EQ(entry->name, name.find('\\') == std::string::npos ? name : Native("back/slash"));
  }
  EXPECT_EQ(FormatGnuLine("a", "\xAB"), "ab  a");
  EXPECT_EQ(FormatGnuLine("a\\b", "\xAB"), "\\ab  a\\\\b");
}

}  // namespace
