#include <gtest/gtest.h>

#include "TestUtil.h"
#include "check/Quor_MarkerIndex.h"
#include "core/Quor_Text.h"

namespace {

using testutil::TempDir;
using testutil::WriteBytes;

TEST(MarkerIndex, AnswersFromAListingHandedToItWithoutListingTheFolderAgain) {
  TempDir dir;
  WriteBytes(dir / "late.bin_MISSING", "");  // made after the listing handed over
  const std::string folder = ExtractFilePath(dir / "late.bin_MISSING");
  MarkerIndex markers("_BAD_OR_INCOMPLETE", "_MISSING");
  markers.Listed(folder, {"a.bin", "b.bin_MISSING", "c.bin_BAD_OR_INCOMPLETE"});
  EXPECT_FALSE(markers.MayExist(folder + "a.bin_MISSING"));
  EXPECT_TRUE(markers.MayExist(folder + "b.bin_MISSING"));
  EXPECT_TRUE(markers.MayExist(folder + "c.bin_BAD_OR_INCOMPLETE"));
  EXPECT_FALSE(markers.MayExist(folder + "late.bin_MISSING"));
  markers.Listed(folder, {"late.bin_MISSING"});
  EXPECT_FALSE(markers.MayExist(folder + "late.bin_MISSING")) << "a folder already known keeps what it knows";
}

}  // namespace
