// ApplyShellAssociations against every kind of registry root, comparing the
// whole tree before and after each run.
#include <gtest/gtest.h>

#include <algorithm>

#include "RegistryTestUtil.h"
#include "core/Quor_Text.h"
#include "shell/Quor_MiscLib.h"

namespace {

const std::string kProgram = "C:\\Program Files\\Quor Tools\\Quor.exe";
const std::string kQuoted = "\"" + kProgram + "\"";

// Dump lines in the order DumpTree gives them.
std::string Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return AsciiLower(a) < AsciiLower(b);
  });
  std::string out;
  for (const std::string& line : lines) out += (line.empty() ? "." : line) + "\n";
  return out;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

ShellAssociations Flags(bool fileCheck, bool fileCheckSpe, bool folderCheck, bool folderCheckSpe,
                        bool create, bool createSpe) {
  return ShellAssociations{fileCheck, fileCheckSpe, folderCheck, folderCheckSpe, create, createSpe};
}
const ShellAssociations kAllOff = Flags(false, false, false, false, false, false);

// What a classes root holds before the program ever ran: folder verbs of
// the system and another file type.
void SeedSystem(platform::Registry& reg) {
  reg.CreateKey("Directory\\Shell\\find\\command");
  reg.WriteString("Directory\\Shell\\find", "", "Search...");
  reg.WriteString("Directory\\Shell\\find\\command", "", "explorer.exe /find");
  reg.CreateKey(".txt");
  reg.WriteString(".txt", "", "txtfile");
}
const std::vector<std::string> kSystemLines = {
    "", "Directory", "Directory\\Shell", "Directory\\Shell\\find",
    "Directory\\Shell\\find|@=Search...", "Directory\\Shell\\find\\command",
    "Directory\\Shell\\find\\command|@=explorer.exe /find", ".txt", ".txt|@=txtfile"};

std::vector<std::string> FolderVerbLines(const std::string& verb, const std::string& text,
                                         const std::string& switchText) {
  const std::string key = "Directory\\Shell\\" + verb;
  return {key, key + "|@=" + text, key + "\\Command",
          key + "\\Command|@=" + kQuoted + " " + switchText + " \"%1\""};
}
std::vector<std::string> FileVerbLines(const std::string& verb, const std::string& text,
                                       const std::string& switchText) {
  const std::string key = "SFV.File\\Shell\\" + verb;
  return {key, key + "|@=" + text, key + "\\Command",
          key + "\\Command|@=" + kQuoted + " " + switchText + " \"%1\""};
}
const std::vector<std::string> kCheckFolder =
    FolderVerbLines("SFVTest", "SFV Check Folder", "-TestFolder");
const std::vector<std::string> kCheckFolderSpe =
    FolderVerbLines("SFVTestSpe", "SFV Check Specifik in Folder", "-TestFolderS");
const std::vector<std::string> kCreate =
    FolderVerbLines("SFVCreate", "Create SFV in Folder", "-CreateSFVFile");
const std::vector<std::string> kCreateSpe =
    FolderVerbLines("SFVCreateSpe", "Create Specifik SFV in Folder", "-CreateSFVFileS");
const std::vector<std::string> kCheckFile =
    FileVerbLines("CheckFile", "Check SFV File", "-TestFile");
const std::vector<std::string> kCheckFileSpe =
    FileVerbLines("CheckSFile", "SFV Check Specifik Files", "-TestFileS");
// The file check on the other checksum lists, from nothing.
const std::vector<std::string> kListChecks = [] {
  std::vector<std::string> lines = {"SystemFileAssociations"};
  for (const char* extension : {".md5", ".sha1", ".sha256", ".sha512"}) {
    const std::string type = std::string("SystemFileAssociations\\") + extension;
    const std::string verb = type + "\\shell\\QuorCheckFile";
    lines.insert(lines.end(), {type, type + "\\shell", verb, verb + "|@=Check SFV File", verb + "\\Command",
                               verb + "\\Command|@=" + kQuoted + " -TestFile \"%1\""});
  }
  return lines;
}();
// The file type without its verbs and description.
const std::vector<std::string> kFileType = {
    ".sfv", ".sfv|@=SFV.File", "SFV.File", "SFV.File\\DefaultIcon",
    "SFV.File\\DefaultIcon|@=" + kQuoted, "SFV.File\\Shell"};

class AssociationsTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    root_ = testutil::MakeTestRoot(GetParam());
    SeedSystem(reg());
  }
  platform::Registry& reg() { return *root_->reg; }
  std::string Apply(const ShellAssociations& flags) {
    return ApplyShellAssociations(reg(), kProgram, flags);
  }
  std::string Dump() { return testutil::DumpTree(reg()); }

  std::unique_ptr<testutil::TestRoot> root_;
};

TEST(ShellCommandLine, QuotesTheProgramAndThePlaceholder) {
  EXPECT_EQ("\"C:\\Tools\\Quor.exe\" -TestFolder \"%1\"",
            ShellCommandLine("C:\\Tools\\Quor.exe", "-TestFolder"));
  EXPECT_EQ("\"C:\\Program Files\\Q\\Quor.exe\" -CreateSFVFileS \"%1\"",
            ShellCommandLine("C:\\Program Files\\Q\\Quor.exe", "-CreateSFVFileS"));
}

TEST_P(AssociationsTest, FirstStartWritesTheDefaultsAndRemovesTheRest) {
  // Left over from a run with other settings.
  reg().CreateKey("Directory\\Shell\\SFVTestSpe\\Command");
  reg().CreateKey("Directory\\Shell\\SFVCreateSpe\\Command");
  reg().CreateKey("SFV.File\\Shell\\CheckSFile\\Command");

  EXPECT_EQ("", Apply(ShellAssociations{}));
  EXPECT_EQ(Sorted(kSystemLines + kCheckFolder + kCreate + kFileType + kCheckFile + kListChecks +
                   std::vector<std::string>{"SFV.File|@=SFV File", "SFV.File\\Shell|@=CheckFile"}),
            Dump());
}

TEST_P(AssociationsTest, AProgramInAUnicodeFolderIsStartedByItsOwnPath) {
  const std::string program = "C:\\Программы\\歩き\\Quor.exe";
  EXPECT_EQ("", ApplyShellAssociations(reg(), program, ShellAssociations{}));
  std::string command;
  ASSERT_EQ(platform::RegRead::String, reg().ReadString("Directory\\Shell\\SFVTest\\Command", "", command));
  EXPECT_EQ(command, "\"" + program + "\" -TestFolder \"%1\"");
  ASSERT_EQ(platform::RegRead::String, reg().ReadString("SFV.File\\DefaultIcon", "", command));
  EXPECT_EQ(command, "\"" + program + "\"");
}

TEST_P(AssociationsTest, AnotherFileTypeIsKeptAndGivenBack) {
  reg().CreateKey(".sfv\\ShellNew");
  reg().WriteString(".sfv", "", "OtherChecker.sfv");
  reg().WriteString(".sfv", "Content Type", "text/plain");
  const std::string before = Dump();

  EXPECT_EQ("", Apply(Flags(false, true, false, false, false, false)));
  const std::string taken = Dump();
  EXPECT_EQ(Sorted(kSystemLines + kFileType + kCheckFileSpe +
                   std::vector<std::string>{".sfv\\ShellNew", ".sfv|Content Type=text/plain",
                                            ".sfv|SfvBac=OtherChecker.sfv",
                                            "SFV.File\\Shell|@=CheckSFile"}),
            taken);

  // Later runs find their own type in place and keep the saved one.
  EXPECT_EQ("", Apply(Flags(false, true, false, false, false, false)));
  EXPECT_EQ(taken, Dump());
  EXPECT_EQ("", Apply(Flags(true, true, false, false, false, false)));
  EXPECT_EQ("", Apply(Flags(true, false, false, false, false, false)));
  std::string saved;
  EXPECT_EQ(platform::RegRead::String, reg().ReadString(".sfv", "SfvBac", saved));
  EXPECT_EQ("OtherChecker.sfv", saved);

  EXPECT_EQ("", Apply(kAllOff));
  EXPECT_EQ(before, Dump());
}

TEST_P(AssociationsTest, AnotherProgramTakingTheTypeBackIsSavedAgain) {
  EXPECT_EQ("", Apply(ShellAssociations{}));
  reg().WriteString(".sfv", "", "Newcomer.sfv");
  EXPECT_EQ("", Apply(ShellAssociations{}));
  std::string text;
  reg().ReadString(".sfv", "", text);
  EXPECT_EQ("SFV.File", text);
  reg().ReadString(".sfv", "SfvBac", text);
  EXPECT_EQ("Newcomer.sfv", text);
  EXPECT_EQ("", Apply(kAllOff));
  EXPECT_EQ(Sorted(kSystemLines + std::vector<std::string>{".sfv", ".sfv|@=Newcomer.sfv"}), Dump());
}

TEST_P(AssociationsTest, AnEmptyOrOwnDefaultIsNotSavedAndTheKeyGoes) {
  for (const char* start : {"", "SFV.File", "(key without a default)", "(no key)"}) {
    SCOPED_TRACE(start);
    const std::string label = start;
    if (label != "(no key)") {
      reg().CreateKey(".sfv");
      reg().WriteString(".sfv", "Content Type", "text/plain");
      if (label[0] != '(') reg().WriteString(".sfv", "", start);
    }
    EXPECT_EQ("", Apply(ShellAssociations{}));
    std::string saved;
    EXPECT_EQ(platform::RegRead::Missing, reg().ReadString(".sfv", "SfvBac", saved));
    EXPECT_EQ("", Apply(kAllOff));
    EXPECT_EQ(Sorted(kSystemLines), Dump());
  }
}

TEST_P(AssociationsTest, TheDefaultVerbStaysWithTheFirstAndPassesOnWhenItGoes) {
  const std::vector<std::string> described = {"SFV.File|@=SFV File"};

  EXPECT_EQ("", Apply(Flags(true, false, false, false, false, false)));
  EXPECT_EQ("", Apply(Flags(true, true, false, false, false, false)));
  EXPECT_EQ(Sorted(kSystemLines + kFileType + kCheckFile + kCheckFileSpe + kListChecks + described +
                   std::vector<std::string>{"SFV.File\\Shell|@=CheckFile"}),
            Dump());
  EXPECT_EQ("", Apply(Flags(false, true, false, false, false, false)));
  // The description stays: only the "CheckFile" step writes it.
  EXPECT_EQ(Sorted(kSystemLines + kFileType + kCheckFileSpe + described +
                   std::vector<std::string>{"SFV.File\\Shell|@=CheckSFile"}),
            Dump());

  EXPECT_EQ("", Apply(kAllOff));
  EXPECT_EQ(Sorted(kSystemLines), Dump());

  EXPECT_EQ("", Apply(Flags(false, true, false, false, false, false)));
  EXPECT_EQ("", Apply(Flags(true, true, false, false, false, false)));
  EXPECT_EQ(Sorted(kSystemLines + kFileType + kCheckFile + kCheckFileSpe + kListChecks + described +
                   std::vector<std::string>{"SFV.File\\Shell|@=CheckSFile"}),
            Dump());
  EXPECT_EQ("", Apply(Flags(true, false, false, false, false, false)));
  EXPECT_EQ(Sorted(kSystemLines + kFileType + kCheckFile + kListChecks + described +
                   std::vector<std::string>{"SFV.File\\Shell|@=CheckFile"}),
            Dump());
}

TEST_P(AssociationsTest, SwappingBothFileVerbsInOneRunLeavesNoDanglingDefault) {
  EXPECT_EQ("", Apply(Flags(true, false, false, false, false, false)));
  EXPECT_EQ("", Apply(Flags(false, true, false, false, false, false)));
  std::string defaultVerb;
  reg().ReadString("SFV.File\\Shell", "", defaultVerb);
  EXPECT_EQ("CheckSFile", defaultVerb);
  EXPECT_FALSE(reg().KeyExists("SFV.File\\Shell\\CheckFile"));

  EXPECT_EQ("", Apply(Flags(true, false, false, false, false, false)));
  reg().ReadString("SFV.File\\Shell", "", defaultVerb);
  EXPECT_EQ("CheckFile", defaultVerb);
}

TEST_P(AssociationsTest, EveryCombinationIsStableAndAllOffUndoesIt) {
  // An earlier owner of ".sfv", so that giving back is part of every round.
  reg().CreateKey(".sfv");
  reg().WriteString(".sfv", "", "OtherChecker.sfv");
  const std::string before = Dump();
  for (int bits = 0; bits < 64; ++bits) {
    const ShellAssociations flags = Flags(bits & 1, bits & 2, bits & 4, bits & 8, bits & 16, bits & 32);
    SCOPED_TRACE(bits);
    ASSERT_EQ("", Apply(flags));
    const std::string once = Dump();
    ASSERT_EQ("", Apply(flags));
    EXPECT_EQ(once, Dump());
    EXPECT_EQ(flags.RClickOnFoldersCheck, reg().KeyExists("Directory\\Shell\\SFVTest\\Command"));
    EXPECT_EQ(flags.RClickOnFoldersCheckSpe, reg().KeyExists("Directory\\Shell\\SFVTestSpe\\Command"));
    EXPECT_EQ(flags.RClickOnFoldersCreate, reg().KeyExists("Directory\\Shell\\SFVCreate\\Command"));
    EXPECT_EQ(flags.RClickOnFoldersCreateSpe, reg().KeyExists("Directory\\Shell\\SFVCreateSpe\\Command"));
    EXPECT_EQ(flags.RClickOnFileCheck, reg().KeyExists("SFV.File\\Shell\\CheckFile\\Command"));
    EXPECT_EQ(flags.RClickOnFileCheckSpe, reg().KeyExists("SFV.File\\Shell\\CheckSFile\\Command"));
    EXPECT_EQ(flags.RClickOnFileCheck,
              reg().KeyExists("SystemFileAssociations\\.sha256\\shell\\QuorCheckFile\\Command"));
    std::string defaultVerb;
    reg().ReadString("SFV.File\\Shell", "", defaultVerb);
    if (flags.RClickOnFileCheck || flags.RClickOnFileCheckSpe) {
      EXPECT_TRUE(reg().KeyExists("SFV.File\\Shell\\" + defaultVerb)) << defaultVerb;
    }
    ASSERT_EQ("", Apply(kAllOff));
    EXPECT_EQ(before, Dump());
  }
}

// The other checksum lists get the file check beside what their own
// program offers there, which stays as it was, default verb and all; off,
// exactly what was there before is left.
TEST_P(AssociationsTest, TheFileCheckOnTheOtherListsComesAndGoesWithItsOption) {
  reg().CreateKey("SystemFileAssociations\\.sha256\\shell\\verify\\command");
  reg().WriteString("SystemFileAssociations\\.sha256\\shell", "", "verify");
  reg().WriteString("SystemFileAssociations\\.sha256\\shell\\verify\\command", "", "hasher.exe \"%1\"");
  reg().CreateKey("SystemFileAssociations\\.md5\\shell\\CheckFile");
  reg().CreateKey("SystemFileAssociations\\.png\\shell");
  const std::string before = Dump();

  EXPECT_EQ("", Apply(Flags(true, false, false, false, false, false)));
  for (const char* extension : {".md5", ".sha1", ".sha256", ".sha512"}) {
    SCOPED_TRACE(extension);
    const std::string verb = std::string("SystemFileAssociations\\") + extension + "\\shell\\QuorCheckFile";
    std::string text;
    EXPECT_EQ(platform::RegRead::String, reg().ReadString(verb, "", text));
    EXPECT_EQ("Check SFV File", text);
    EXPECT_EQ(platform::RegRead::String, reg().ReadString(verb + "\\Command", "", text));
    EXPECT_EQ(kQuoted + " -TestFile \"%1\"", text);  // the .sfv file's own command line
  }
  std::string defaultVerb;
  reg().ReadString("SystemFileAssociations\\.sha256\\shell", "", defaultVerb);
  EXPECT_EQ("verify", defaultVerb);
  EXPECT_FALSE(reg().KeyExists(".sha256"));

  // The check with picking alone keeps the .sfv file type but not these.
  EXPECT_EQ("", Apply(Flags(false, true, false, false, false, false)));
  EXPECT_FALSE(reg().KeyExists("SystemFileAssociations\\.sha1"));
  EXPECT_EQ("", Apply(kAllOff));
  EXPECT_EQ(before, Dump());
}

TEST_P(AssociationsTest, ATypeTakenOverWhileOffIsLeftAlone) {
  EXPECT_EQ("", Apply(ShellAssociations{}));
  EXPECT_EQ("", Apply(kAllOff));
  reg().CreateKey(".sfv");
  reg().WriteString(".sfv", "", "Newcomer.sfv");
  const std::string before = Dump();
  EXPECT_EQ("", Apply(kAllOff));
  EXPECT_EQ(before, Dump());
}

TEST_P(AssociationsTest, FolderVerbsNeedNoDirectoryShellBeforehand) {
  // A user's own classes start empty.
  reg().DeleteTree("Directory");
  EXPECT_EQ("", Apply(Flags(false, false, true, false, false, false)));
  std::string command;
  EXPECT_EQ(platform::RegRead::String,
            reg().ReadString("Directory\\Shell\\SFVTest\\Command", "", command));
  EXPECT_EQ(kQuoted + " -TestFolder \"%1\"", command);
  EXPECT_EQ(Sorted(kCheckFolder + std::vector<std::string>{"", ".txt", ".txt|@=txtfile", "Directory",
                                                           "Directory\\Shell"}),
            Dump());
}

TEST_P(AssociationsTest, AValueThatIsNotTextStopsTheRun) {
  reg().CreateKey(".sfv");
  reg().WriteNumber(".sfv", "", 5);
  const std::string before = Dump();
  EXPECT_EQ("Invalid data type for ''", Apply(ShellAssociations{}));
  // The folder verbs come first and stay; nothing of the file type is written.
  EXPECT_EQ(Sorted(kSystemLines + kCheckFolder + kCreate +
                   std::vector<std::string>{".sfv", ".sfv|@=#5"}),
            Dump());
  EXPECT_EQ("Invalid data type for ''", Apply(kAllOff));
  EXPECT_EQ(before, Dump());

  reg().WriteString(".sfv", "", "SFV.File");
  reg().WriteNumber(".sfv", "SfvBac", 1);
  EXPECT_EQ("Invalid data type for 'SfvBac'", Apply(kAllOff));
  EXPECT_TRUE(reg().KeyExists(".sfv"));

  reg().DeleteTree(".sfv");
  reg().CreateKey("SFV.File\\Shell");
  reg().WriteNumber("SFV.File\\Shell", "", 2);
  EXPECT_EQ("Invalid data type for ''", Apply(Flags(false, true, false, false, false, false)));
  EXPECT_FALSE(reg().KeyExists("SFV.File\\Shell\\CheckSFile"));
}

INSTANTIATE_TEST_SUITE_P(Roots, AssociationsTest, testing::ValuesIn(testutil::TestRootKinds()),
                         [](const auto& info) { return info.param; });

// A root that refuses some or all writes, as the machine-wide classes do
// for a user who is no administrator; set refusing to false to seed it.
class RefusingRegistry : public platform::MemoryRegistry {
 public:
  explicit RefusingRegistry(std::string refusedValue = "*") : refused_(std::move(refusedValue)) {}
  bool CreateKey(const std::string& key) override {
    return refusing && refused_ == "*" ? KeyExists(key) : MemoryRegistry::CreateKey(key);
  }
  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& data) override {
    if (refusing && (refused_ == "*" || AsciiLower(name) == AsciiLower(refused_))) return false;
    return MemoryRegistry::WriteString(key, name, data);
  }
  bool DeleteTree(const std::string& key) override {
    return refusing && refused_ == "*" ? !KeyExists(key) : MemoryRegistry::DeleteTree(key);
  }

  bool refusing = true;

 private:
  std::string refused_;
};

TEST(ApplyShellAssociations, ARefusedWriteNamesTheValueAndStopsThere) {
  RefusingRegistry reg("SfvBac");
  SeedSystem(reg);
  reg.CreateKey(".sfv");
  reg.WriteString(".sfv", "", "OtherChecker.sfv");
  EXPECT_EQ("Failed to set data for 'SfvBac'", ApplyShellAssociations(reg, kProgram, ShellAssociations{}));
  std::string text;
  reg.ReadString(".sfv", "", text);
  EXPECT_EQ("OtherChecker.sfv", text);  // not replaced before its earlier value is safe
  EXPECT_FALSE(reg.KeyExists("SFV.File"));
  EXPECT_TRUE(reg.KeyExists("Directory\\Shell\\SFVCreate\\Command"));

  RefusingRegistry none;
  SeedSystem(static_cast<platform::MemoryRegistry&>(none));
  EXPECT_EQ("Failed to set data for ''", ApplyShellAssociations(none, kProgram, ShellAssociations{}));
}

TEST(ApplyShellAssociations, WritesTheUsersClassesAndNothingMachineWide) {
  platform::MemoryRegistry machine;  // writable: an elevated process
  SeedSystem(machine);
  const std::string machineBefore = testutil::DumpTree(machine);
  platform::MemoryRegistry user;
  platform::MemoryRegistry direct;  // the same run on one root
  for (const ShellAssociations& flags : {ShellAssociations{}, Flags(true, true, true, true, true, true), kAllOff}) {
    EXPECT_EQ("", ApplyShellAssociations(user, machine, kProgram, flags));
    EXPECT_EQ("", ApplyShellAssociations(direct, kProgram, flags));
    EXPECT_EQ(testutil::DumpTree(direct), testutil::DumpTree(user));
    EXPECT_EQ(machineBefore, testutil::DumpTree(machine));
  }

  // A refusal in the user's own classes is the run's error; there is no
  // second attempt machine-wide.
  RefusingRegistry userRefusing;
  EXPECT_EQ("Failed to set data for ''",
            ApplyShellAssociations(userRefusing, machine, kProgram, ShellAssociations{}));
  EXPECT_EQ(machineBefore, testutil::DumpTree(machine));
}

// What an earlier version wrote machine-wide for kProgram (the create
// command in its old spelling, without quotation marks), beside the
// commands of another copy and of a program whose path only begins like ours.
void SeedMachineLeftovers(platform::Registry& reg) {
  SeedSystem(reg);
  const auto command = [&reg](const std::string& verbKey, const std::string& line) {
    reg.CreateKey(verbKey + "\\Command");
    reg.WriteString(verbKey + "\\Command", "", line);
  };
  command("Directory\\Shell\\SFVTest", ShellCommandLine(kProgram, "-TestFolder"));
  command("Directory\\Shell\\SFVCreate", AsciiUpper(kProgram) + " -CreateSFVFile \"%1\"");
  command("Directory\\Shell\\SFVTestSpe", ShellCommandLine("D:\\Other\\Quor.exe", "-TestFolderS"));
  command("Directory\\Shell\\SFVCreateSpe", ShellCommandLine(kProgram + ".old", "-CreateSFVFileS"));
  reg.CreateKey(".sfv");
  reg.WriteString(".sfv", "", "SFV.File");
  reg.WriteString(".sfv", "SfvBac", "OtherChecker.sfv");
  reg.CreateKey("SFV.File\\DefaultIcon");
  reg.WriteString("SFV.File\\DefaultIcon", "", kQuoted);
  command("SFV.File\\Shell\\CheckFile", ShellCommandLine(kProgram, "-TestFile"));
}

TEST(ApplyShellAssociations, OwnMachineWideCommandsGoWhateverTheSwitchesAndNothingElseDoes) {
  for (const ShellAssociations& flags : {ShellAssociations{}, Flags(true, false, false, false, false, false),
                                         Flags(false, true, true, false, true, false), kAllOff}) {
    platform::MemoryRegistry machine, expected, user;
    SeedMachineLeftovers(machine);
    SeedMachineLeftovers(expected);
    for (const char* key : {"Directory\\Shell\\SFVTest", "Directory\\Shell\\SFVCreate", "SFV.File"}) {
      expected.DeleteTree(key);
    }
    expected.WriteString(".sfv", "", "OtherChecker.sfv");
    expected.DeleteValue(".sfv", "SfvBac");
    EXPECT_EQ("", ApplyShellAssociations(user, machine, kProgram, flags));
    EXPECT_EQ(testutil::DumpTree(expected), testutil::DumpTree(machine));
  }

  // A file type whose icon is another program's stays, and so does all
  // that the machine-wide classes refuse to give up.
  platform::MemoryRegistry foreignType, user;
  SeedMachineLeftovers(foreignType);
  foreignType.WriteString("SFV.File\\DefaultIcon", "", "D:\\Other\\Quor.exe");
  foreignType.DeleteTree("SFV.File\\Shell");
  const std::string foreignBefore = testutil::DumpTree(foreignType, "SFV.File") + testutil::DumpTree(foreignType, ".sfv");
  EXPECT_EQ("", ApplyShellAssociations(user, foreignType, kProgram, kAllOff));
  EXPECT_EQ(foreignBefore, testutil::DumpTree(foreignType, "SFV.File") + testutil::DumpTree(foreignType, ".sfv"));

  RefusingRegistry refusing;
  refusing.refusing = false;
  SeedMachineLeftovers(refusing);
  refusing.refusing = true;
  const std::string refusingBefore = testutil::DumpTree(refusing);
  EXPECT_EQ("", ApplyShellAssociations(user, refusing, kProgram, kAllOff));
  EXPECT_EQ(refusingBefore, testutil::DumpTree(refusing));
}

}  // namespace
