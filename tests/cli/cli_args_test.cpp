#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Quor_CliArgs.h"
#include "cli/Quor_CliProgress.h"
#include "cli/Quor_CliRun.h"
#include "core/Quor_Notify.h"
#include "platform/fs.h"
#include "TestUtil.h"

namespace {

CliArgs Parse(std::vector<std::string> args) { return ParseCliArgs(args); }

TEST(CliArgs, CheckOptionsAndPathsInAnyOrder) {
  const CliArgs a = Parse({"check", "one.sfv", "--rename-bad", "my folder", "--quiet", "--make-dummy",
                           "--skip-known-good", "--", "--odd-name.sfv"});
  EXPECT_TRUE(a.error.empty()) << a.error;
  EXPECT_EQ(a.command, CliCommand::Check);
  EXPECT_TRUE(a.renameBad && a.quiet && a.makeDummy && a.skipKnownGood);
  EXPECT_EQ(a.paths, (std::vector<std::string>{"one.sfv", "my folder", "--odd-name.sfv"}));

  const CliArgs plain = Parse({"check", "x.sfv"});
  EXPECT_FALSE(plain.renameBad || plain.quiet || plain.makeDummy || plain.skipKnownGood);
}

TEST(CliArgs, CreateOptionsWithValues) {
  const CliArgs a = Parse({"create", "--name", "all", "--exclude=#?.TXT", "--nfo", "info.nfo", "--recursive",
                           "--file-info", "--overwrite", "d1", "d2"});
  EXPECT_TRUE(a.error.empty()) << a.error;
  EXPECT_EQ(a.command, CliCommand::Create);
  EXPECT_EQ(a.name, "all");
  EXPECT_EQ(a.exclude, "#?.TXT");
  EXPECT_EQ(a.nfo, "info.nfo");
  EXPECT_TRUE(a.recursive && a.fileInfo && a.overwrite);
  EXPECT_EQ(a.paths, (std::vector<std::string>{"d1", "d2"}));

  const CliArgs defaults = Parse({"create", "d"});
  EXPECT_EQ(defaults.exclude, "#?.DIZ#?.NFO#?.JPG#?.TXT");
  EXPECT_TRUE(defaults.name.empty() && defaults.nfo.empty());
  EXPECT_FALSE(defaults.recursive || defaults.fileInfo || defaults.overwrite);
  // An empty exclusion list is allowed: then every file but SFV files is listed.
  EXPECT_TRUE(Parse({"create", "--exclude=", "d"}).exclude.empty());
}

TEST(CliArgs, WrongUsageIsAnError) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"verify", "x"},
           {"check"},
           {"create"},
           {"check", "--recursive", "x"},  // an option of the other command
           {"create", "--quiet", "x"},
           {"create", "d", "--name"},  // value missing
           {"create", "--name=", "d"},
           {"create", "--name", "../evil", "d"},  // names that leave the folder
           {"create", "--name=sub/evil", "d"},
           {"create", "--name", "..\\evil.sfv", "d"},
           {"create", "--name", "C:evil", "d"},
           {"create", "--name", "..", "d"},
           {"check", "--quiet=yes", "x"},
           {"--bogus"},
       }) {
    std::string joined;
    for (const std::string& arg : args) joined += arg + " ";
    EXPECT_FALSE(Parse(args).error.empty()) << joined;
  }
}

TEST(CliArgs, JobsIsAWholeNumberFromOneToTheMaximum) {
  const struct {
    std::vector<std::string> args;
    unsigned jobs;  // 0: wrong usage
  } cases[] = {
      {{"check", "x"}, 1},
      {{"check", "--jobs", "4", "x"}, 4},
      {{"create", "d", "--jobs=64"}, 64},
      {{"create", "--jobs", "1", "d"}, 1},
      {{"check", "--jobs", "0", "x"}, 0},
      {{"check", "--jobs=65", "x"}, 0},
      {{"create", "--jobs", "four", "d"}, 0},
      {{"check", "--jobs", "-2", "x"}, 0},
      {{"check", "--jobs=", "x"}, 0},
      {{"check", "x", "--jobs"}, 0},
  };
  for (const auto& c : cases) {
    const CliArgs parsed = Parse(c.args);
    std::string joined;
    for (const std::string& arg : c.args) joined += arg + " ";
    EXPECT_EQ(parsed.error.empty(), c.jobs != 0) << joined << parsed.error;
    if (c.jobs != 0) {
      EXPECT_EQ(parsed.jobs, c.jobs) << joined;
    }
  }
}

TEST(CliArgs, HelpAndVersionNeedNoPaths) {
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"--help"}).error.empty());
  const CliArgs check = Parse({"check", "--help"});
  EXPECT_TRUE(check.help && check.error.empty());
  EXPECT_EQ(check.command, CliCommand::Check);
  EXPECT_TRUE(Parse({"--version"}).version);
  EXPECT_TRUE(Parse({"--version"}).error.empty());
  EXPECT_EQ(CliVersionText(), "quor-cli 1.39");
  for (CliCommand command : {CliCommand::None, CliCommand::Check, CliCommand::Create}) {
    EXPECT_NE(CliHelpText(command).find("Exit status"), std::string::npos);
  }
  EXPECT_NE(CliHelpText(CliCommand::Check).find("--skip-known-good"), std::string::npos);
  EXPECT_NE(CliHelpText(CliCommand::Create).find("--overwrite"), std::string::npos);
}

TEST(CliProgress, SpeedAndTimeLeft) {
  EXPECT_EQ(ProgressMibPerSecond(300 * 1048576LL, 2.0), 150);
  EXPECT_EQ(ProgressMibPerSecond(1048575, 1.0), 0);
  EXPECT_EQ(ProgressSecondsLeft(600 * 1048576LL, 10), 60);
  EXPECT_EQ(ProgressSecondsLeft(600 * 1048576LL, 0), 0);
}

TEST(CliProgress, LineFromNotices) {
  CliProgress progress("SFV file");
  progress.SetCount(3);
  EXPECT_FALSE(progress.Tick(1.0));  // nothing done yet
  progress.Apply(CN_NEXT_SFV, 0);
  progress.Apply(CN_NEXT_SFV, 0);
  progress.Apply(CN_SFV_BEGIN, 0);
  progress.Apply(CN_TOTAL_HI, 1);  // 4 GiB + 1 GiB
  progress.Apply(CN_TOTAL_LO, 1u << 30);
  EXPECT_EQ(progress.TotalBytes(), (5LL << 30));
  progress.Apply(CN_BYTES_DONE, 1u << 30);
  progress.SetName("x.sfv");
  std::optional<std::string> line = progress.Tick(2.0);
  ASSERT_TRUE(line);
  // 1 GiB in 2 s is 512 MiB/s; 4 GiB left take 8 s.
  EXPECT_EQ(*line, "SFV file 2 of 3 - 20% - 512 MiB/s - 00:08 left - x.sfv");
  // Nothing more done: speed 0, no time left shown.
  EXPECT_EQ(*progress.Tick(1.0), "SFV file 2 of 3 - 20% - 0 MiB/s - x.sfv");
  // A new SFV file starts its counters afresh.
  progress.Apply(CN_SFV_BEGIN, 0);
  EXPECT_EQ(progress.TotalBytes(), 0);
  EXPECT_FALSE(progress.Tick(1.0));
}

TEST(CliPlatform, FullPathNameResolvesSteps) {
#ifdef _WIN32
  EXPECT_EQ(platform::FullPathName("C:\\a\\b\\..\\.\\c"), "C:\\a\\c");
#else
  EXPECT_EQ(platform::FullPathName("/a/b/../ ./c/"), "/a/ ./c/");
  EXPECT_EQ(platform::FullPathName("/a/./b/../../.."), "/");
  EXPECT_EQ(platform::FullPathName("/x y/z"), "/x y/z");
  const std::string relative = platform::FullPathName("some name");
  EXPECT_EQ(relative.front(), '/');
  EXPECT_EQ(relative.substr(relative.size() - 10), "/some name");
#endif
}

TEST(CliPlatform, UserStateFolderFromEnvironment) {
#ifdef _WIN32
  const char* saved = std::getenv("LOCALAPPDATA");
  const std::string keep = saved ? saved : "";
  _putenv_s("LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local");
  EXPECT_EQ(platform::UserStateFolder(), "C:\\Users\\u\\AppData\\Local\\Quor\\");
  _putenv_s("LOCALAPPDATA", keep.c_str());
#else
  const char* savedState = std::getenv("XDG_STATE_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string keepState = savedState ? savedState : "", keepHome = savedHome ? savedHome : "";
  setenv("XDG_STATE_HOME", "/s/state", 1);
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(platform::UserStateFolder(), "/s/state/quor/");
  setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(platform::UserStateFolder(), "/home/u/.local/state/quor/");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(platform::UserStateFolder(), "/home/u/.local/state/quor/");
  if (savedState) setenv("XDG_STATE_HOME", keepState.c_str(), 1);
  setenv("HOME", keepHome.c_str(), 1);
#endif
}

TEST(CliRun, ProgressBaseFallsBackToTheStateFolder) {
  testutil::TempDir dir;
  // A plain file where the program folder should be: nothing can be made in it.
  testutil::WriteBytes(dir / "program", "x");
  const std::string program = dir / "program";
  const std::string state = dir / "state/quor/";
  EXPECT_EQ(ChooseProgressBase(program + platform::kPathSep, state), state);
  EXPECT_TRUE(platform::FolderExists(state + "Progress"));
  EXPECT_EQ(ChooseProgressBase(dir.path(), state), dir.path());
  EXPECT_EQ(ChooseProgressBase(program + platform::kPathSep, ""), "");
  // The write test leaves nothing behind.
  EXPECT_EQ(testutil::FolderNames(state + "Progress"), std::vector<std::string>{});
}

}  // namespace
