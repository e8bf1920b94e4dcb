// The registry interface, run against every kind of root the build has, so
// that the in-memory registry the other tests use behaves like the real one.
#include <gtest/gtest.h>

#include <algorithm>

#include "RegistryTestUtil.h"

namespace {

using platform::RegRead;

class RegistryTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { root_ = testutil::MakeTestRoot(GetParam()); }
  platform::Registry& reg() { return *root_->reg; }

  std::unique_ptr<testutil::TestRoot> root_;
};

TEST_P(RegistryTest, CreatesEveryLevelAndComparesNamesWithoutCase) {
  ASSERT_TRUE(reg().CreateKey("Directory\\Shell\\SFVTest\\Command"));
  EXPECT_TRUE(reg().KeyExists("directory\\SHELL\\sfvtest"));
  EXPECT_TRUE(reg().KeyExists("Directory\\Shell\\SFVTest\\Command"));
  EXPECT_FALSE(reg().KeyExists("Directory\\Shell\\SFVTestSpe"));
  EXPECT_FALSE(reg().KeyExists("Directory\\Shel"));

  // Creating an existing key under another case keeps the first name and its values.
  ASSERT_TRUE(reg().WriteString("Directory\\Shell", "Mixed", "one"));
  ASSERT_TRUE(reg().CreateKey("DIRECTORY\\shell"));
  ASSERT_TRUE(reg().WriteString("directory\\shell", "MIXED", "two"));
  std::string data;
  EXPECT_EQ(RegRead::String, reg().ReadString("Directory\\Shell", "mixed", data));
  EXPECT_EQ("two", data);
  EXPECT_EQ(std::vector<std::string>{"Shell"}, reg().SubKeys("Directory"));
  ASSERT_EQ(1u, reg().Values("Directory\\Shell").size());
}

TEST_P(RegistryTest, ReadsTellMissingFromEmptyFromNotAString) {
  std::string data = "stale";
  EXPECT_EQ(RegRead::Missing, reg().ReadString(".sfv", "", data));
  EXPECT_EQ("", data);
  ASSERT_TRUE(reg().CreateKey(".sfv"));
  EXPECT_EQ(RegRead::Missing, reg().ReadString(".sfv", "", data));
  ASSERT_TRUE(reg().WriteString(".sfv", "", ""));
  EXPECT_EQ(RegRead::String, reg().ReadString(".sfv", "", data));
  EXPECT_EQ("", data);
  ASSERT_TRUE(reg().WriteString(".sfv", "", "SFV.File"));
  ASSERT_TRUE(reg().WriteString(".sfv", "SfvBac", "text with blanks \"and quotes\""));
  EXPECT_EQ(RegRead::String, reg().ReadString(".sfv", "", data));
  EXPECT_EQ("SFV.File", data);
  EXPECT_EQ(RegRead::String, reg().ReadString(".sfv", "sfvbac", data));
  EXPECT_EQ("text with blanks \"and quotes\"", data);
  ASSERT_TRUE(reg().WriteNumber(".sfv", "", 7));
  data = "stale";
  EXPECT_EQ(RegRead::NotString, reg().ReadString(".sfv", "", data));
  EXPECT_EQ("", data);
}

TEST_P(RegistryTest, WritesNeedAnExistingKey) {
  EXPECT_FALSE(reg().WriteString("SFV.File", "", "SFV File"));
  EXPECT_FALSE(reg().WriteNumber("SFV.File", "n", 1));
  EXPECT_FALSE(reg().KeyExists("SFV.File"));
}

TEST_P(RegistryTest, DeletesValuesAndWholeTrees) {
  ASSERT_TRUE(reg().CreateKey("SFV.File\\Shell\\CheckFile\\Command"));
  ASSERT_TRUE(reg().CreateKey("SFV.File\\DefaultIcon"));
  ASSERT_TRUE(reg().CreateKey("SFV"));  // shares the start of the name only
  ASSERT_TRUE(reg().CreateKey(".sfv"));
  ASSERT_TRUE(reg().WriteString(".sfv", "", "SFV.File"));
  ASSERT_TRUE(reg().WriteString(".sfv", "SfvBac", "Other"));

  EXPECT_TRUE(reg().DeleteValue(".sfv", "SFVBAC"));
  EXPECT_TRUE(reg().DeleteValue(".sfv", "SfvBac"));  // already gone
  EXPECT_TRUE(reg().DeleteValue("NoSuchKey", "x"));
  std::string data;
  EXPECT_EQ(RegRead::Missing, reg().ReadString(".sfv", "SfvBac", data));
  EXPECT_EQ(RegRead::String, reg().ReadString(".sfv", "", data));

  EXPECT_TRUE(reg().DeleteTree("sfv.file"));
  EXPECT_FALSE(reg().KeyExists("SFV.File"));
  EXPECT_FALSE(reg().KeyExists("SFV.File\\Shell\\CheckFile"));
  EXPECT_TRUE(reg().KeyExists("SFV"));
  EXPECT_TRUE(reg().DeleteTree("SFV.File"));  // already gone
  EXPECT_TRUE(reg().DeleteTree("NoSuch\\Deeper"));

  std::vector<std::string> left = reg().SubKeys("");
  std::sort(left.begin(), left.end());
  EXPECT_EQ((std::vector<std::string>{".sfv", "SFV"}), left);
}

INSTANTIATE_TEST_SUITE_P(Roots, RegistryTest, testing::ValuesIn(testutil::TestRootKinds()),
                         [](const auto& info) { return info.param; });

}  // namespace
