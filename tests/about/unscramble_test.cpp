#include <gtest/gtest.h>

#include <random>
#include <string>

#include "about/Quor_Unscramble.h"
#include "tools/scramble/Quor_Scramble.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

TEST(Base64, DecodesWholeGroupsAndPadding) {
  EXPECT_EQ(DecodeBase64("SGVsbG8sIFF1b3Ih"), "Hello, Quor!");
  EXPECT_EQ(DecodeBase64("UXVvcg=="), "Quor");
  EXPECT_EQ(DecodeBase64("UXVvcjE="), "Quor1");
  EXPECT_EQ(DecodeBase64("+/+/"), "\xfb\xff\xbf");
  EXPECT_EQ(DecodeBase64(""), "");
  EXPECT_EQ(DecodeBase64("UXV"), "");           // shorter than a group
  EXPECT_EQ(DecodeBase64("UXVvcg"), "Quo");     // the remainder is ignored
  EXPECT_EQ(DecodeBase64("UXVvcg==UXVv"), "Quor");  // padding ends the text
}

TEST(Base64, StopsBeforeAGroupThatIsNotBase64) {
  EXPECT_EQ(DecodeBase64("UXVv*XVv"), "Quo");
  EXPECT_EQ(DecodeBase64("UXVvc=Vv"), "Quo");   // padding in the middle of a group
  EXPECT_EQ(DecodeBase64("UXVv=A=="), "Quo");
  EXPECT_EQ(DecodeBase64("UXVvUX=A"), "Quo");
  EXPECT_EQ(DecodeBase64("UXVv UXV"), "Quo");
}

TEST(Base64, EncodingRoundTrips) {
  std::mt19937 random(4);
  for (std::size_t length = 0; length < 70; ++length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string text = EncodeBase64(bytes);
    EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(DecodeBase64(text), bytes);
  }
}

TEST(Unscramble, ShortTextsGiveNothingAndOneByteGivesOne) {
  EXPECT_EQ(UnscrambleText("", 5), "");
  EXPECT_EQ(UnscrambleText("QUJ", 5), "");
  EXPECT_EQ(UnscrambleText("!!!!", 5), "");
  EXPECT_EQ(UnscrambleText("AA==", 7).size(), 1u);
  EXPECT_EQ(UnscrambleText("QUI=", 7).size(), 2u);
}

// Results worked out by hand from the algorithm (an independent script), so
// that any change of the routine, its generator or its constants shows.
TEST(Unscramble, PinnedResults) {
  EXPECT_EQ(Hex(UnscrambleText("AAAA", 0)), "8586d2");
  EXPECT_EQ(Hex(UnscrambleText("AAAAAAAA", 1)), "7d456c88c743");
  EXPECT_EQ(Hex(UnscrambleText("QUJD", 0)), "c485d3");
  EXPECT_EQ(Hex(UnscrambleText("/////////w==", -1)), "08482cf4adf59e");
  EXPECT_EQ(Hex(UnscrambleText("SGVsbG8sIFF1b3Ih", 123456789)), "d1ad822fbdbaf3da56ecb28a");
  EXPECT_EQ(Hex(UnscrambleText("AA==", 7)), "dd");
}

TEST(Unscramble, DependsOnTheKeyButNotOnEarlierCalls) {
  const std::string stored = ScrambleText("the same text", 1000);
  const std::string first = UnscrambleText(stored, 1000);
  EXPECT_EQ(first, "the same text");
  EXPECT_NE(UnscrambleText(stored, 1001), first);
  for (int i = 0; i < 10; ++i) UnscrambleText(ScrambleText(std::string(i * 7, 'x'), i), i * 31);
  EXPECT_EQ(UnscrambleText(stored, 1000), first);
}

TEST(Unscramble, TheToolsTextsComeBackForEveryLengthAndKey) {
  std::mt19937 random(1139);
  for (std::size_t length = 0; length <= 300; ++length) {
    std::string text(length, '\0');
    for (char& c : text) c = static_cast<char>(random());
    const auto key = static_cast<std::int32_t>(random());
    const std::string stored = ScrambleText(text, key);
    ASSERT_EQ(UnscrambleText(stored, key), text) << "length " << length << ", key " << key;
    if (length > 3) {
      EXPECT_NE(DecodeBase64(stored), text);  // it is scrambled
    }
  }
  // Keys that wrap around when the length is added.
  for (std::int32_t key : {INT32_MAX, INT32_MIN, -1, 0}) {
    EXPECT_EQ(UnscrambleText(ScrambleText("wrap around", key), key), "wrap around");
  }
}

}  // namespace
