#include <gtest/gtest.h>

#include <vector>

#include "core/Quor_Placement.h"

namespace {

TEST(KeepOnWorkArea, MovesAndShrinksOnlyAsFarAsNeeded) {
  const ScreenBox area{0, 0, 1280, 1000};   // a work area at the origin
  const ScreenBox right{1280, 0, 1920, 1040};  // a second monitor on the right
  struct Case {
    ScreenBox window, area, kept;
  };
  const std::vector<Case> cases = {
      {{100, 50, 520, 376}, area, {100, 50, 520, 376}},          // already on it
      {{5000, -5000, 520, 376}, area, {760, 0, 520, 376}},       // a monitor no longer there
      {{-900, 800, 520, 376}, area, {0, 624, 520, 376}},         // partly off to the left and below
      {{1000, 900, 520, 376}, area, {760, 624, 520, 376}},       // over the right and bottom edges
      {{10, 10, 1600, 1200}, area, {0, 0, 1280, 1000}},          // larger than the area: shrunk
      {{-50, 20, 2000, 300}, area, {0, 20, 1280, 300}},          // wider only
      {{300, 300, -1, -1}, area, {300, 300, -1, -1}},            // size not saved: kept
      {{5000, 200, -1, 500}, area, {1280, 200, -1, 500}},
      {{100, 100, 520, 376}, right, {1280, 100, 520, 376}},      // onto the monitor on the right
      {{4000, 2000, 520, 376}, right, {2680, 664, 520, 376}},
  };
  for (const Case& c : cases) {
    const ScreenBox kept = KeepOnWorkArea(c.window, c.area);
    EXPECT_EQ(kept, c.kept) << c.window.left << "," << c.window.top << " " << c.window.width << "x"
                            << c.window.height << " -> " << kept.left << "," << kept.top << " " << kept.width
                            << "x" << kept.height;
  }
}

}  // namespace
