// Scrolling with the cap: the controls it scrolls, the direction and the pace.
#include <gtest/gtest.h>

#include <iterator>
#include <tuple>
#include <utility>

#include "scroll_rules.h"

namespace {

// The classes themselves are scrolled in the scroll scenarios; a class matches only exactly.
TEST(ScrollRulesTest, ClassNamesMatchExactly) {
  const std::pair<const char*, ScrollTargetKind> rows[] = {
      {"ListBox", kScrollBarControl},
      {"listbox", kScrollNone},
      {"ListBoxX", kScrollNone},
      {"SysTreeView", kScrollNone},
      {"", kScrollNone},
      {"Internet Explorer_Server ", kScrollNone},
  };
  for (const auto& [className, kind] : rows) {
    EXPECT_EQ(classifyScrollTarget(className), kind) << "class '" << className << "'";
  }
}

TEST(ScrollRulesTest, DirectionAndDeflection) {
  // tx, ty, tz; vertical, deflection, tie, vertical wins, direction.
  const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, bool, bool, int32_t> rows[] = {
      {5, 10, -40, -40, 40, false, true, -40},
      {0, 60, 10, -60, 60, false, true, -60},
      {0, -60, 10, 60, 60, false, true, 60},
      {100, 0, 20, 20, 100, false, false, 100},
      {-100, 0, 20, 20, 100, false, false, -100},
      {0, 0, 0, 0, 0, true, false, 0},
      {30, 0, -30, -30, 30, true, false, 30},
      // ty wins only when strictly larger than tz.
      {0, 25, -25, -25, 25, false, true, -25},
      // The device's extremes.
      {-32768, 0, 32767, 32767, 32768, false, false, -32768},
      {0, -32768, 32767, 32768, 32768, false, true, 32768},
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    const auto [tx, ty, tz, vertical, deflection, isTie, isVertical, direction] = rows[row];
    const ScrollMotion motion = scrollMotion(tx, ty, tz);
    EXPECT_EQ(motion.mVertical, vertical) << "row " << row;
    EXPECT_EQ(motion.mDeflection, deflection) << "row " << row;
    EXPECT_EQ(motion.mIsTie, isTie) << "row " << row;
    EXPECT_EQ(motion.mIsVertical, isVertical) << "row " << row;
    EXPECT_EQ(motion.mDirection, direction) << "row " << row;
  }
}

TEST(ScrollRulesTest, ScrollBarRangeStepsAndLines) {
  // min, max, page, position, direction; usable, steps, line code.
  const std::tuple<int32_t, int32_t, uint32_t, int32_t, int32_t, bool, int32_t, int32_t> rows[] = {
      {0, 250, 20, 10, -40, true, 2, 0},
      {0, 250, 20, 0, -40, true, 2, -1},
      {0, 250, 20, 230, 40, true, 2, 1},
      {0, 250, 20, 231, 40, true, 2, -1},
      {0, 2500, 20, 5, 1, true, 10, 1},
      {0, 30, 5, 3, -1, true, 1, 0},
      {0, 99, 5, 3, 1, true, 1, 1},
      {0, 1099, 5, 3, 1, true, 10, 1},
      {0, 0, 5, 0, 1, false, 1, -1},
      {-1, 100, 5, 0, 1, false, 1, 1},
      {0, -5, 5, 0, 1, false, 1, -1},
      {50, 50, 5, 0, 1, false, 1, 1},
      {0, 100, 0, 0, 1, false, 1, 1},
      // A page beyond any range: no step down, however the sum is formed.
      {0, 250, 0xFFFFFFFFu, 10, 1, true, 2, -1},
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    const auto [min, max, page, pos, direction, isUsable, steps, line] = rows[row];
    EXPECT_EQ(isScrollRangeUsable(min, max, page), isUsable) << "row " << row;
    EXPECT_EQ(scrollBarSteps(max), steps) << "row " << row;
    EXPECT_EQ(scrollLineCode(direction, pos, page, max), line) << "row " << row;
  }
}

// The wheel messages themselves, with their deltas, are the wheel scenario's.
TEST(ScrollRulesTest, WaitBetweenSteps) {
  // deflection, scroll bar, max, wait.
  const std::tuple<int32_t, bool, int32_t, int32_t> rows[] = {
      {40, true, 250, 130}, {0, false, 0, 150},   {100, false, 0, 100}, {298, false, 0, 1},
      {400, true, 250, 1},  {0, true, 30, 170},   {0, true, 50, 150},   {297, true, 49, 3},
      {40, false, 30, 130}, {32768, true, 0, 51},
  };
  for (const auto& [deflection, isScrollBar, max, wait] : rows) {
    EXPECT_EQ(scrollWaitMs(deflection, isScrollBar, max), wait)
        << "deflection " << deflection << " bar " << isScrollBar << " max " << max;
  }
}

}  // namespace
