// The INI text engine behind the POSIX profile functions, on texts.
#include <gtest/gtest.h>

#include "platform/profile_ini.h"

namespace {

using platform::IniFindValue;
using platform::IniSetValue;

TEST(IniEngine, FindsTheFirstSectionAndKeyOfAName) {
  const std::string text =
      "Loose=before any section\r\n[A]\r\nk=first\r\nK=second\r\n[B]\r\nk=b\r\n[a]\r\nk=third\r\nonly=late\r\n";
  EXPECT_EQ(IniFindValue(text, "a", "K"), "first");
  EXPECT_EQ(IniFindValue(text, "B", "k"), "b");
  EXPECT_EQ(IniFindValue(text, "A", "only"), std::nullopt);  // in the second [a]: not looked at
  EXPECT_EQ(IniFindValue(text, "", "Loose"), std::nullopt);
  EXPECT_EQ(IniFindValue("", "A", "k"), std::nullopt);
}

TEST(IniEngine, ReadsQuotesCommentsBomAndOddLines) {
  const std::string text =
      "\xEF\xBB\xBF[S]\nq=\"quoted value\"\nh='x'\nhalf=\"open\n;c=comment\nnoequals\n[broken\nlast=1";
  EXPECT_EQ(IniFindValue(text, "S", "q"), "quoted value");
  EXPECT_EQ(IniFindValue(text, "S", "h"), "x");
  EXPECT_EQ(IniFindValue(text, "S", "half"), "\"open");
  EXPECT_EQ(IniFindValue(text, "S", ";c"), std::nullopt);
  EXPECT_EQ(IniFindValue(text, "S", "noequals"), std::nullopt);
  EXPECT_EQ(IniFindValue(text, "S", "last"), "1");  // "[broken" opens no section
  EXPECT_EQ(IniFindValue("[S]\nk = a = b \n", "S", "k"), "a = b");
}

TEST(IniEngine, AReplacedValueKeepsEveryOtherByte) {
  const std::string text = "[S]\n   Name = old ; not a comment\nnext=1\n";
  EXPECT_EQ(IniSetValue(text, "s", "NAME", "new"), "[S]\n   Name=new\nnext=1\n");
  EXPECT_EQ(IniSetValue("[S]\r\nk=1", "S", "k", "2"), "[S]\r\nk=2");
}

TEST(IniEngine, NewKeysGoAfterTheLastLineOfTheirSection) {
  EXPECT_EQ(IniSetValue("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3"),
            "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(IniSetValue("[A]\r\n[B]\r\n", "a", "z", "3"), "[A]\r\nz=3\r\n[B]\r\n");
  EXPECT_EQ(IniSetValue("[A]\r\nx=1", "A", "z", "3"), "[A]\r\nx=1\r\nz=3\r\n");
}

TEST(IniEngine, NewSectionsGoAtTheEnd) {
  EXPECT_EQ(IniSetValue("", "S", "k", "v"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniSetValue("[A]\r\nx=1\r\n", "B", "k", "v"), "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n");
  EXPECT_EQ(IniSetValue("; only a note", "B", "k", "v"), "; only a note\r\n\r\n[B]\r\nk=v\r\n");
}

TEST(IniEngine, EveryStorableWriteReadsBack) {
  std::string text;
  const char* sections[] = {"System", "Colors", "system", "Window Sizes"};
  for (int i = 0; i < 200; ++i) {
    const std::string section = sections[i % 4];
    const std::string key = "Key" + std::to_string(i % 17);
    const std::string value = "v" + std::to_string(i) + (i % 3 ? " with blanks" : "");
    ASSERT_TRUE(platform::IsStorableProfileText(section, key, value));
    text = IniSetValue(text, section, key, value);
    EXPECT_EQ(IniFindValue(text, section, key), value);
  }
  EXPECT_EQ(IniFindValue(text, "SYSTEM", "key16"), "v186");  // "System" and "system" are one section
}

TEST(IniEngine, RefusesTextsThatCouldNotReadBack) {
  using platform::IsStorableProfileText;
  EXPECT_TRUE(IsStorableProfileText("S", "K", ""));
  EXPECT_FALSE(IsStorableProfileText("S", "K", "a\rb"));
  EXPECT_FALSE(IsStorableProfileText("S", "K\n", "v"));
  EXPECT_FALSE(IsStorableProfileText("S]", "K", "v"));
  EXPECT_FALSE(IsStorableProfileText(" ", "K", "v"));
  EXPECT_FALSE(IsStorableProfileText("S", "[K", "v"));
  EXPECT_FALSE(IsStorableProfileText("S", ";K", "v"));
  EXPECT_FALSE(IsStorableProfileText("S", "a=b", "v"));
}

}  // namespace
