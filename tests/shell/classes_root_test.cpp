// ApplyShellAssociations on the real HKEY_CLASSES_ROOT of the test's own Wine
// prefix, checked against the same runs on an in-memory copy of what was
// there. Whatever the test finds is put back at the end.
#include <gtest/gtest.h>

#include "RegistryTestUtil.h"
#include "shell/Quor_MiscLib.h"

namespace {

const std::string kProgram = "C:\\Program Files\\Quor Tools\\Quor.exe";
const char* const kOurKeys[] = {"Directory\\Shell\\SFVTest", "Directory\\Shell\\SFVTestSpe",
                                "Directory\\Shell\\SFVCreate", "Directory\\Shell\\SFVCreateSpe",
                                ".sfv", "SFV.File"};

// Our keys of one root as text.
std::string Snapshot(const platform::Registry& reg) {
  std::string out;
  for (const char* key : kOurKeys) out += std::string(key) + ":\n" + testutil::DumpTree(reg, key);
  return out;
}

void Save(const platform::Registry& from, platform::Registry& to) {
  for (const char* key : kOurKeys) testutil::CopyTree(from, key, to, key);
}

void Restore(const platform::Registry& from, platform::Registry& to) {
  for (const char* key : kOurKeys) {
    to.DeleteTree(key);
    testutil::CopyTree(from, key, to, key);
  }
}

class ClassesRootTest : public testing::Test {
 protected:
  // Each test starts from a classes root without our keys (a Quor.exe run
  // in the same prefix leaves its commands there) and gets back what it found.
  void SetUp() override {
    Save(*classes_, saved_);
    Save(*user_, savedUser_);
    for (const char* key : kOurKeys) classes_->DeleteTree(key);
  }
  void TearDown() override {
    Restore(saved_, *classes_);
    Restore(savedUser_, *user_);
  }

  std::unique_ptr<platform::Registry> classes_ = platform::OpenClassesRoot();
  std::unique_ptr<platform::Registry> user_ = platform::OpenUserClasses();
  platform::MemoryRegistry saved_, savedUser_;
};

TEST_F(ClassesRootTest, RunsLikeTheInMemoryRegistry) {
  platform::MemoryRegistry model;
  Save(*classes_, model);
  const std::string userBefore = Snapshot(*user_);
  const ShellAssociations runs[] = {
      ShellAssociations{},
      ShellAssociations{true, true, true, true, true, true},
      ShellAssociations{false, true, false, true, false, false},
      ShellAssociations{false, false, false, false, false, false},
  };
  for (const ShellAssociations& flags : runs) {
    EXPECT_EQ(ApplyShellAssociations(model, kProgram, flags), ApplyShellAssociations(kProgram, flags));
    EXPECT_EQ(Snapshot(model), Snapshot(*classes_));
    EXPECT_EQ(userBefore, Snapshot(*user_));  // the classes root was writable
  }
  // All off leaves nothing of ours.
  EXPECT_EQ(Snapshot(platform::MemoryRegistry{}), Snapshot(*classes_));
}

TEST_F(ClassesRootTest, KeepsAndGivesBackAnotherFileType) {
  classes_->DeleteTree(".sfv");
  classes_->CreateKey(".sfv");
  ASSERT_TRUE(classes_->WriteString(".sfv", "", "OtherChecker.sfv"));
  const std::string before = Snapshot(*classes_);

  ASSERT_EQ("", ApplyShellAssociations(kProgram, ShellAssociations{}));
  std::string text;
  EXPECT_EQ(platform::RegRead::String, classes_->ReadString(".sfv", "SfvBac", text));
  EXPECT_EQ("OtherChecker.sfv", text);
  classes_->ReadString("SFV.File\\Shell\\CheckFile\\Command", "", text);
  EXPECT_EQ("\"" + kProgram + "\" -TestFile \"%1\"", text);

  ASSERT_EQ("", ApplyShellAssociations(kProgram, ShellAssociations{false, false, false, false, false, false}));
  EXPECT_EQ(before, Snapshot(*classes_));
}

}  // namespace
