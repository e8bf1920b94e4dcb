// The profile functions, run against the system's (Windows build, under
// Wine) and against the program's own engine (POSIX build).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "TestUtil.h"
#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"

namespace {

using platform::ReadProfileValue;
using platform::WriteProfileValue;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;

// The file's lines without line ends, blank lines left out (the system's
// engine may add or drop those).
std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text = ReadBytes(path);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t lf = text.find('\n', at);
    std::string line = text.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    if (lf == std::string::npos) break;
    at = lf + 1;
  }
  return lines;
}

using Strings = std::vector<std::string>;

TEST(Profile, AMissingFileGivesTheDefaultAndIsNotCreated) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  EXPECT_EQ(ReadProfileValue(path, "System", "Key", "fallback"), "fallback");
  EXPECT_EQ(ReadProfileValue(path, "System", "Key", ""), "");
  EXPECT_FALSE(platform::FileExists(path));
}

TEST(Profile, TheFirstWriteCreatesTheFileAndNamesIgnoreCase) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  ASSERT_TRUE(WriteProfileValue(path, "System", "LastSfvPath", "C:\\Data\\"));
  EXPECT_EQ(ReadBytes(path).find("\r\n") != std::string::npos, true) << "lines end in CR LF";
  EXPECT_EQ(ReadProfileValue(path, "SYSTEM", "lastsfvpath", "x"), "C:\\Data\\");
  EXPECT_EQ(ReadProfileValue(path, "System", "Other", "x"), "x");
  EXPECT_EQ(ReadProfileValue(path, "Colors", "LastSfvPath", "x"), "x");
  EXPECT_EQ(Lines(path), (Strings{"[System]", "LastSfvPath=C:\\Data\\"}));
}

TEST(Profile, HandWrittenValuesAreTrimmedAndAnEmptyValueIsNotTheDefault) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  WriteBytes(path, "[ System ]\r\n  Key  =  two words  \r\nEmpty=\r\nTabs=\tx\t\r\n[Other]\nUnix=lf\n");
  EXPECT_EQ(ReadProfileValue(path, "System", "Key", "d"), "two words");
  EXPECT_EQ(ReadProfileValue(path, "System", "Empty", "d"), "");
  EXPECT_EQ(ReadProfileValue(path, "System", "Tabs", "d"), "x");
  EXPECT_EQ(ReadProfileValue(path, "Other", "Unix", "d"), "lf");
}

// An old file in the legacy code page still loads; a path outside every
// code page survives a save and a load, and so do the values already there.
TEST(Profile, ValuesInAnyScriptSurviveAndOldFilesLoad) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  WriteBytes(path, "[System]\r\nLastSfvPath=C:\\Caf\xE9\\\r\n");
  EXPECT_EQ(ReadProfileValue(path, "System", "LastSfvPath", ""), "C:\\Caf\xC3\xA9\\");
  const std::string nfo = "C:\\\xE6\xAD\xA9\xE3\x81\x8D \xD0\x96\\info \xF0\x9F\x8E\xB5.nfo";
  ASSERT_TRUE(WriteProfileValue(path, "Create", "IncludeFile", nfo));
  EXPECT_EQ(ReadProfileValue(path, "Create", "IncludeFile", ""), nfo);
  EXPECT_EQ(ReadProfileValue(path, "System", "LastSfvPath", ""), "C:\\Caf\xC3\xA9\\");
}

TEST(Profile, WritesChangeOnlyTheirOwnLine) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  WriteBytes(path,
             "; written by hand\r\n[System]\r\nA=1\r\nUnknown=kept\r\nB=2\r\n[Colors]\r\n; a note\r\nC=3\r\n");
  ASSERT_TRUE(WriteProfileValue(path, "system", "a", "10"));  // replaced where it stands
  ASSERT_TRUE(WriteProfileValue(path, "System", "New", "n"));  // end of its section
  ASSERT_TRUE(WriteProfileValue(path, "Create", "D", "4"));    // a new section at the end
  ASSERT_TRUE(WriteProfileValue(path, "Colors", "C", ""));     // an empty value
  EXPECT_EQ(Lines(path), (Strings{"; written by hand", "[System]", "A=10", "Unknown=kept", "B=2", "New=n",
                                  "[Colors]", "; a note", "C=", "[Create]", "D=4"}));
  EXPECT_EQ(ReadProfileValue(path, "Colors", "C", "d"), "");
  EXPECT_EQ(ReadProfileValue(path, "Create", "D", "d"), "4");
}

TEST(Profile, AReadReturnsAtMost2047Characters) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  std::string value;
  for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(WriteProfileValue(path, "S", "Long", value));
  EXPECT_EQ(ReadProfileValue(path, "S", "Long", ""), value.substr(0, platform::kProfileValueMax));
  const std::string exact = value.substr(0, platform::kProfileValueMax);
  ASSERT_TRUE(WriteProfileValue(path, "S", "Exact", exact));
  EXPECT_EQ(ReadProfileValue(path, "S", "Exact", ""), exact);
}

TEST(Profile, TextsWithLineBreaksAreRefusedAndChangeNothing) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  ASSERT_TRUE(WriteProfileValue(path, "S", "K", "v"));
  const std::string before = ReadBytes(path);
  EXPECT_FALSE(WriteProfileValue(path, "S", "K", "v\r\n[Injected]\r\nX=1"));
  EXPECT_FALSE(WriteProfileValue(path, "S\nT", "K", "v"));
  EXPECT_FALSE(WriteProfileValue(path, "S", "K=J", "v"));
  EXPECT_FALSE(WriteProfileValue(path, "S", "", "v"));
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(Profile, AWriteToAMissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(WriteProfileValue(dir / "no/such/folder/settings.dat", "S", "K", "v"));
}

#ifndef _WIN32
// The own engine replaces the file in one piece: the old file stays whole
// under any other name it has, and no temporary file is left behind.
TEST(Profile, AWriteReplacesTheFileInOnePiece) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  ASSERT_TRUE(WriteProfileValue(path, "S", "K", "old"));
  const std::string old = ReadBytes(path);
  ASSERT_EQ(link(path.c_str(), (dir / "snapshot").c_str()), 0);
  ASSERT_TRUE(WriteProfileValue(path, "S", "K", "new"));
  EXPECT_EQ(ReadBytes(dir / "snapshot"), old);
  EXPECT_EQ(ReadProfileValue(path, "S", "K", ""), "new");
  EXPECT_EQ(testutil::FolderNames(dir.path()), (Strings{"settings.dat", "snapshot"}));
}

TEST(Profile, AReadOnlyFileIsLeftAlone) {
  TempDir dir;
  const std::string path = dir / "settings.dat";
  ASSERT_TRUE(WriteProfileValue(path, "S", "K", "old"));
  ASSERT_TRUE(platform::SetReadOnly(path));
  EXPECT_FALSE(WriteProfileValue(path, "S", "K", "new"));
  EXPECT_EQ(ReadProfileValue(path, "S", "K", ""), "old");
  platform::ClearAttributes(path);
}
#endif

}  // namespace
