// The start-up decision and the decoding of hand-over records and dropped
// items, without a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Quor_Text.h"
#include "mainwindow/Quor_CommandLine.h"
#include "platform/fs.h"

namespace {

using Args = std::vector<std::string>;

TEST(StartDecision, NoArgumentsExitsWhileACopyRunsElseOpensTheWindow) {
  EXPECT_EQ(DecideStart({}, true).action, StartAction::Exit);
  EXPECT_EQ(DecideStart({}, false).action, StartAction::OpenMainWindow);
}

TEST(StartDecision, CheckSwitchesAreHandedOverWithTheirCodesAndAZeroTerminatedPath) {
  const struct {
    const char* sw;
    std::uint32_t code;
  } cases[] = {{"-TestFile", 64}, {"-TestFileS", 65}, {"-TestFolder", 66}, {"-TestFolderS", 67}};
  for (const auto& c : cases) {
    const StartDecision d = DecideStart({c.sw, "C:\\My Files\\x y"}, true);
    EXPECT_EQ(d.action, StartAction::HandOver) << c.sw;
    EXPECT_EQ(d.code, c.code) << c.sw;
    // cbData = the path's length + 1, the last byte the zero.
    ASSERT_EQ(d.payload.size(), std::string("C:\\My Files\\x y").size() + 1) << c.sw;
    EXPECT_EQ(d.payload.back(), '\0');
    EXPECT_EQ(d.payload.substr(0, d.payload.size() - 1), "C:\\My Files\\x y");
    // A first copy opens its own window and checks the path itself.
    EXPECT_EQ(DecideStart({c.sw, "C:\\x"}, false).action, StartAction::OpenMainWindow) << c.sw;
  }
}

TEST(StartDecision, SwitchesCompareExactlyAndWrongOnesEndQuietlyWhileACopyRuns) {
  for (const char* wrong : {"-testfolder", "-TESTFOLDER", "-TestFolder ", "TestFolder", "-TestFolderSS", "", "x"}) {
    EXPECT_EQ(DecideStart({wrong, "C:\\x"}, true).action, StartAction::Exit) << wrong;
    EXPECT_EQ(DecideStart({wrong, "C:\\x"}, false).action, StartAction::OpenMainWindow) << wrong;
    EXPECT_FALSE(CheckRequestOfCommandLine({wrong, "C:\\x"})) << wrong;
  }
}

TEST(StartDecision, CreateSwitchesOpenTheCreatorWhetherOrNotACopyRuns) {
  for (bool running : {true, false}) {
    EXPECT_EQ(DecideStart({"-CreateSFVFile", "C:\\x\\"}, running).action, StartAction::OpenCreator);
    EXPECT_EQ(DecideStart({"-CreateSFVFileS", "C:\\x\\"}, running).action, StartAction::OpenCreator);
  }
  // Lower case is no create switch: a running copy makes it a quiet end.
  EXPECT_EQ(DecideStart({"-createsfvfile", "C:\\x\\"}, true).action, StartAction::Exit);
}

TEST(StartDecision, OnlyExactlyTwoArgumentsWithACreateSwitchAreACreateCommandLine) {
  EXPECT_TRUE(IsCreateCommandLine({"-CreateSFVFile", "C:\\x"}));
  EXPECT_TRUE(IsCreateCommandLine({"-CreateSFVFileS", "C:\\x"}));
  EXPECT_FALSE(IsCreateCommandLine({"-CreateSFVFile"}));
  EXPECT_FALSE(IsCreateCommandLine({"-CreateSFVFile", "C:\\x", "y"}));
  EXPECT_FALSE(IsCreateCommandLine({"-createsfvfile", "C:\\x"}));
  EXPECT_FALSE(IsCreateCommandLine({"-TestFolder", "C:\\x"}));
  EXPECT_FALSE(IsCreateCommandLine({}));
}

TEST(StartDecision, OneOrThreeArgumentsOpenASecondMainWindowAndLookAtNoSwitch) {
  for (bool running : {true, false}) {
    EXPECT_EQ(DecideStart({"-TestFolder"}, running).action, StartAction::OpenMainWindow);
    EXPECT_EQ(DecideStart({"-TestFolder", "C:\\x", "y"}, running).action, StartAction::OpenMainWindow);
    EXPECT_EQ(DecideStart({"-CreateSFVFile", "C:\\x", "y"}, running).action, StartAction::OpenMainWindow);
  }
  EXPECT_FALSE(CheckRequestOfCommandLine({"-TestFolder"}));
  EXPECT_FALSE(CheckRequestOfCommandLine({"-TestFolder", "C:\\x", "y"}));
}

TEST(CommandLineRequest, ARelativePathIsMadeFullAgainstTheCurrentFolder) {
  const std::string here = IncludeTrailingSeparator(platform::FullPathName("."));
  EXPECT_EQ(WithFullPath({"-TestFile", "x.sfv"})[1], here + "x.sfv");
  EXPECT_EQ(WithFullPath({"-CreateSFVFile", "sub"})[1], here + "sub");
  const std::string full = here + "a b" + platform::kPathSep;
  for (const std::vector<std::string>& kept : std::vector<std::vector<std::string>>{
           {"-TestFolder", full}, {"-TestFolder", "x", "y"}, {"-Other", "x"}, {"x"}}) {
    EXPECT_EQ(WithFullPath(kept), kept);
  }
}

TEST(CommandLineRequest, TheFourSwitchesGiveTheirFlags) {
  EXPECT_EQ(CheckRequestOfCommandLine({"-TestFile", "a.sfv"}), (CheckRequest{"a.sfv", false, false}));
  EXPECT_EQ(CheckRequestOfCommandLine({"-TestFileS", "a.sfv"}), (CheckRequest{"a.sfv", false, true}));
  EXPECT_EQ(CheckRequestOfCommandLine({"-TestFolder", "d\\"}), (CheckRequest{"d\\", true, false}));
  EXPECT_EQ(CheckRequestOfCommandLine({"-TestFolderS", "d\\"}), (CheckRequest{"d\\", true, true}));
  EXPECT_FALSE(CheckRequestOfCommandLine({"-CreateSFVFile", "d\\"}));
}

TEST(HandOverRecord, CodesOutside64To71AreIgnored) {
  std::uint32_t sentCode = 64;
  const std::string payload = HandOverPayload("C:\\a.sfv", sentCode);
  EXPECT_EQ(sentCode, 64u);
  for (std::uint32_t code : {0u, 63u, 72u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(RequestOfHandOver(code, payload.data(), payload.size())) << code;
  }
  EXPECT_EQ(RequestOfHandOver(64, payload.data(), payload.size()), (CheckRequest{"C:\\a.sfv", false, false}));
  EXPECT_EQ(RequestOfHandOver(65, payload.data(), payload.size()), (CheckRequest{"C:\\a.sfv", false, true}));
  EXPECT_EQ(RequestOfHandOver(66, payload.data(), payload.size()), (CheckRequest{"C:\\a.sfv", true, false}));
  EXPECT_EQ(RequestOfHandOver(67, payload.data(), payload.size()), (CheckRequest{"C:\\a.sfv", true, true}));
}

TEST(HandOverRecord, ThePathNeverReadsPastTheBytesSent) {
  // The record's bytes sit in a larger buffer whose rest is not part of it:
  // nothing beyond size may show up in the path.
  const char buffer[] = "C:\\short.sfvTRAILING GARBAGE";
  EXPECT_EQ(HandOverPath(buffer, 12), "C:\\short.sfv");
  // Stops at the first zero within the record.
  const char twoParts[] = {'a', 'b', '\0', 'c', 'd', '\0'};
  EXPECT_EQ(HandOverPath(twoParts, sizeof twoParts), "ab");
  // A record with no data.
  EXPECT_EQ(HandOverPath(nullptr, 0), "");
  EXPECT_EQ(HandOverPath(nullptr, 40), "");
  EXPECT_EQ(HandOverPath(buffer, 0), "");
  EXPECT_EQ(HandOverPath(twoParts + 2, 1), "");
  // What DecideStart sends is read back whole.
  const std::string path(2000, 'p');
  std::uint32_t code = HO_TEST_FILE;
  const std::string payload = HandOverPayload(path, code);
  EXPECT_EQ(HandOverPath(payload.data(), payload.size()), path);
}

TEST(HandOverRecord, LegacyTextWhereThePathFitsUtf8WithItsOwnCodesElse) {
  const std::string western = "C:\\caf\xC3\xA9\\", japanese = "C:\\\xE6\xAD\xA9\\";
  const StartDecision fits = DecideStart({"-TestFolder", western}, true);
  EXPECT_EQ(fits.code, HO_TEST_FOLDER);
  EXPECT_EQ(fits.payload, std::string("C:\\caf\xE9\\") + '\0');  // as older copies send it
  const StartDecision wide = DecideStart({"-TestFolderS", japanese}, true);
  EXPECT_EQ(wide.code, HO_TEST_FOLDER_SPE + HO_UTF8_OFFSET);
  for (const auto& [sent, path] : {std::pair{fits, western}, std::pair{wide, japanese}}) {
    const std::optional<CheckRequest> got = RequestOfHandOver(sent.code, sent.payload.data(), sent.payload.size());
    ASSERT_TRUE(got);
    EXPECT_EQ(got->path, path);
  }
  // A record under a UTF-8 code that is not UTF-8 is no request.
  const std::string notUtf8 = "C:\\caf\xE9";
  EXPECT_FALSE(RequestOfHandOver(HO_TEST_FILE + HO_UTF8_OFFSET, notUtf8.data(), notUtf8.size()));
}

TEST(DroppedItem, FoldersAndChecksumListsAreCheckedOtherFilesIgnored) {
  EXPECT_EQ(RequestOfDroppedItem("C:\\Rel", true), (CheckRequest{"C:\\Rel", true, false}));
  // A folder counts as a folder whatever its name looks like.
  EXPECT_EQ(RequestOfDroppedItem("C:\\odd.sfv", true), (CheckRequest{"C:\\odd.sfv", true, false}));
  for (const char* sfv : {"C:\\a.sfv", "C:\\a.SFV", "C:\\a.Sfv", "C:\\x.y\\b.b.sfv", "C:\\a.sha256", "C:\\b.MD5",
                          "C:\\SHA256SUMS", "C:\\sha1sums.txt"}) {
    EXPECT_EQ(RequestOfDroppedItem(sfv, false), (CheckRequest{sfv, false, false})) << sfv;
  }
  for (const char* other : {"C:\\a.txt", "C:\\a.sfv.txt", "C:\\a.sfvx", "C:\\asfv", "C:\\x.sfv\\b", "C:\\a.sf",
                            "C:\\SHA256SUMS.gpg", "C:\\a.sha"}) {
    EXPECT_FALSE(RequestOfDroppedItem(other, false)) << other;
  }
}

}  // namespace
