#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "about/Quor_AboutText.h"
#include "core/Quor_Text.h"

namespace about {
namespace {

TEST(UpdateOutcome, JudgesTheFirstVersionFieldWithoutRegardToCase) {
  struct Case {
    const char* body;
    const char* shown;
  } cases[] = {
      {"<html>VInfo=1.39;</html>", "No update available"},
      {"vinfo=1.40;", "Update available.. ( Version 1.40 )"},
      {"vinfo=1.38;", "Update available.. ( Version 1.38 )"},  // older counts too: only equality is "no update"
      {"VINFO=2.0BETA;", "Update available.. ( Version 2.0beta )"},
      {"vinfo=1.39; vinfo=1.50;", "No update available"},
      {"vinfo=1.50;\r\nvinfo=1.39;", "Update available.. ( Version 1.50 )"},
      {"vinfo= 1.39;", "Update available.. ( Version  1.39 )"},  // equality is exact
      {"vinfo=;", "Update available.. ( Version  )"},
      {"version=1.39;", "Cant find version info.."},
      {"vinfo:1.39;", "Cant find version info.."},
      {"", "Cant find version info.."},
      {"vinfo=1.39", "Cant find version info.."},  // no ";" after the field
      {"x;vinfo=1.40", "Cant find version info.."},  // a ";" before the field does not count
  };
  for (const Case& c : cases) EXPECT_EQ(UpdateOutcome(200, c.body, "1.39"), c.shown) << c.body;
}

TEST(UpdateOutcome, AnythingButStatus200IsNoConnection) {
  for (int status : {0, 204, 301, 404, 500}) {
    EXPECT_EQ(UpdateOutcome(status, "vinfo=1.39;", "1.39"), "Cant connect to server..") << status;
  }
}

TEST(UpdateOutcome, ComparesWithTheVersionGivenAndNamesItInTheReferer) {
  EXPECT_EQ(UpdateOutcome(200, "vinfo=1.40;", "1.40"), "No update available");
  EXPECT_EQ(UpdateReferer("1.39"), "UpdateCheck_1.39");
}

TEST(AboutLayout, TenLinesWithTheirGaps) {
  std::array<std::string, 10> lines;
  for (int i = 0; i < 10; ++i) lines[i] = "L" + std::to_string(i + 1);
  EXPECT_EQ(JoinAboutLines(lines),
            "L1\r\n\r\nL2\r\n\r\nL3\r\nL4\r\nL5\r\nL6\r\nL7\r\nL8\r\n\r\n\r\nL9\r\n\r\nL10");
}

TEST(Disclaimer, TwoCapitalParagraphsOfShortLines) {
  const std::string text(DisclaimerText());
  EXPECT_EQ(text.size(), 1189u);
  const std::vector<std::string> lines = SplitListText(text);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // every line end is CR LF
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 23);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 23);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].empty(), i == 11) << i;
    EXPECT_LE(lines[i].size(), 60u) << lines[i];
    EXPECT_EQ(lines[i], AsciiUpper(lines[i]));
    if (!lines[i].empty()) {
      EXPECT_NE(lines[i].front(), ' ');
      EXPECT_NE(lines[i].back(), ' ');
    }
  }
  EXPECT_EQ(lines[0].rfind("BECAUSE THE PROGRAM IS LICENSED FREE OF CHARGE,", 0), 0u);
  EXPECT_EQ(lines[12].rfind("IN NO EVENT UNLESS REQUIRED BY APPLICABLE LAW OR", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 13), "SUCH DAMAGES.");
  // The first paragraph read as one sentence stream: the one change from the
  // licence wording.
  std::string first;
  for (int i = 0; i < 11; ++i) first += (i ? " " : "") + lines[i];
  EXPECT_NE(first.find("OTHERWISE STATED IN WRITING. THE PROGRAM IS PROVIDED \"AS IS\" WITHOUT WARRANTY"),
            std::string::npos);
  EXPECT_EQ(first.find("COPYRIGHT HOLDERS"), std::string::npos);
}

}  // namespace
}  // namespace about
