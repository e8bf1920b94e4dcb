// ApplyShellAssociations on the real registry of the test's own Wine prefix
// (the user's classes and the machine-wide ones), checked against the same
// runs on in-memory copies of what was there. Whatever the test finds is put
// back at the end.
#include <gtest/gtest.h>

#include "RegistryTestUtil.h"
#include "shell/Quor_MiscLib.h"

namespace {

const std::string kProgram = "C:\\Program Files\\Quor Tools\\Quor.exe";
const char* const kOurKeys[] = {"Directory\\Shell\\SFVTest", "Directory\\Shell\\SFVTestSpe",
                                "Directory\\Shell\\SFVCreate", "Directory\\Shell\\SFVCreateSpe",
                                ".sfv", "SFV.File", "SystemFileAssociations\\.md5",
                                "SystemFileAssociations\\.sha1", "SystemFileAssociations\\.sha256",
                                "SystemFileAssociations\\.sha512"};

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
  // Each test starts from classes without our keys, the user's and the
  // machine's (a Quor.exe run in the same prefix leaves its commands there),
  // and gets back what it found.
  void SetUp() override {
    Save(*machine_, savedMachine_);
    Save(*user_, savedUser_);
    for (const char* key : kOurKeys) {
      machine_->DeleteTree(key);
      user_->DeleteTree(key);
    }
  }
  void TearDown() override {
    Restore(savedMachine_, *machine_);
    Restore(savedUser_, *user_);
  }

  std::unique_ptr<platform::Registry> machine_ = platform::OpenMachineClasses();
  std::unique_ptr<platform::Registry> user_ = platform::OpenUserClasses();
  platform::MemoryRegistry savedMachine_, savedUser_;
};

TEST_F(ClassesRootTest, RunsLikeTheInMemoryRegistry) {
  // The folder check of an earlier version, written machine-wide.
  machine_->CreateKey("Directory\\Shell\\SFVTest\\Command");
  ASSERT_TRUE(machine_->WriteString("Directory\\Shell\\SFVTest\\Command", "",
                                    ShellCommandLine(kProgram, "-TestFolder")));
  platform::MemoryRegistry userModel, machineModel;
  Save(*user_, userModel);
  Save(*machine_, machineModel);
  const ShellAssociations runs[] = {
      ShellAssociations{},
      ShellAssociations{true, true, true, true, true, true},
      ShellAssociations{false, true, false, true, false, false},
      ShellAssociations{false, false, false, false, false, false},
  };
  for (const ShellAssociations& flags : runs) {
    EXPECT_EQ(ApplyShellAssociations(userModel, machineModel, kProgram, flags),
              ApplyShellAssociations(kProgram, flags));
    EXPECT_EQ(Snapshot(userModel), Snapshot(*user_));
    EXPECT_EQ(Snapshot(machineModel), Snapshot(*machine_));
  }
  // All off leaves nothing of ours in either.
  EXPECT_EQ(Snapshot(platform::MemoryRegistry{}), Snapshot(*user_));
  EXPECT_EQ(Snapshot(platform::MemoryRegistry{}), Snapshot(*machine_));
}

TEST_F(ClassesRootTest, KeepsAndGivesBackAnotherFileType) {
  user_->CreateKey(".sfv");
  ASSERT_TRUE(user_->WriteString(".sfv", "", "OtherChecker.sfv"));
  const std::string before = Snapshot(*user_);

  ASSERT_EQ("", ApplyShellAssociations(kProgram, ShellAssociations{}));
  std::string text;
  EXPECT_EQ(platform::RegRead::String, user_->ReadString(".sfv", "SfvBac", text));
  EXPECT_EQ("OtherChecker.sfv", text);
  user_->ReadString("SFV.File\\Shell\\CheckFile\\Command", "", text);
  EXPECT_EQ("\"" + kProgram + "\" -TestFile \"%1\"", text);
  user_->ReadString("SystemFileAssociations\\.sha256\\shell\\QuorCheckFile\\Command", "", text);
  EXPECT_EQ("\"" + kProgram + "\" -TestFile \"%1\"", text);

  ASSERT_EQ("", ApplyShellAssociations(kProgram, ShellAssociations{false, false, false, false, false, false}));
  EXPECT_EQ(before, Snapshot(*user_));
}

}  // namespace
