#include <gtest/gtest.h>

#include "TestUtil.h"
#include "check/Quor_MarkerIndex.h"
#include "core/Quor_Text.h"

namespace {

TEST(MarkerIndex, AnswersFromAListingHandedToItWithoutListingTheFolderAgain) {
  testutil::TempDir dir;
  testutil::WriteBytes(dir / "late_MISSING", "");  // made after the listing handed over
  const std::string folder = ExtractFilePath(dir / "late_MISSING");
  MarkerIndex markers("_BAD_OR_INCOMPLETE", "_MISSING");
  markers.Listed(folder, {"a", "b_MISSING", "c_BAD_OR_INCOMPLETE"});
  markers.Listed(folder, {"late_MISSING"});  // a folder already known keeps what it knows
  for (const auto& [name, mayExist] : {std::pair{"a_MISSING", false}, {"b_MISSING", true},
                                       {"c_BAD_OR_INCOMPLETE", true}, {"late_MISSING", false}}) {
    EXPECT_EQ(markers.MayExist(folder + name), mayExist) << name;
  }
}

}  // namespace
