// The program's stored texts say what they are meant to say.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "about/Quor_Const.h"
#include "about/Quor_Unscramble.h"
#include "tools/scramble/Quor_Scramble.h"

namespace {

TEST(StoredTexts, UnscrambleToTheirWording) {
  EXPECT_EQ(Unscramble(kMainCaption), "Quor 1.39 - SFV Checker & Creator");
  EXPECT_EQ(Unscramble(kUpdateCheckAddress), "http://www.quor-sfv.org/update/version.html");
  EXPECT_EQ(Unscramble(kSiteAddress), "http://www.quor-sfv.org");
  const char* about[kAboutLineCount] = {
      "Quor version 1.39",
      "A small, fast SFV checker and creator for Windows",
      "Checks SFV files: every listed file is reported",
      "as OK, bad or missing, with totals per SFV file.",
      "Creates SFV files for a folder and, on request,",
      "for every one of its sub-folders as well.",
      "Right-click a folder or an .sfv file in the",
      "Explorer to check or create it at once.",
      "Written by the Quor developers",
      "http://www.quor-sfv.org",
  };
  for (int i = 0; i < kAboutLineCount; ++i) EXPECT_EQ(Unscramble(kAboutLines[i]), about[i]) << i;
}

TEST(StoredTexts, AreBase64OfTheRightSizeWithKeysOfTheirOwn) {
  std::set<std::int32_t> keys = {kMainCaption.key, kUpdateCheckAddress.key, kSiteAddress.key};
  for (const StoredText& line : kAboutLines) {
    const std::string text = line.text;
    EXPECT_GE(text.size(), 12u);
    EXPECT_LE(text.size(), 88u);
    EXPECT_EQ(EncodeBase64(DecodeBase64(text)), text);  // whole, canonical Base64
    keys.insert(line.key);
  }
  EXPECT_EQ(keys.size(), 3u + kAboutLineCount);
}

}  // namespace
