// Scrolling with the cap: the controls it scrolls, the direction and the pace.
#include <gtest/gtest.h>

#include "scroll_rules.h"

namespace {

TEST(ScrollRulesTest, ClassNames) {
  const struct {
    const char* mClass;
    ScrollTargetKind mKind;
  } rows[] = {
      {"SysTreeView32", kScrollBarControl},
      {"TreeView", kScrollBarControl},
      {"SysListView32", kScrollBarControl},
      {"ListBox", kScrollBarControl},
      {"Edit", kScrollBarControl},
      {"GXWND", kScrollBarControl},
      {"ToolbarWindow32", kWheelControl},
      {"uintGraphDrawArea", kWheelControl},
      {"List", kWheelControl},
      {"Tree", kWheelControl},
      {"Internet Explorer_Server", kWheelControl},
      {"listbox", kScrollNone},
      {"SysTreeView", kScrollNone},
      {"ListBoxX", kScrollNone},
      {"PGLWindow", kScrollNone},
      {"", kScrollNone},
      {"Internet Explorer_Server ", kScrollNone},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_EQ(classifyScrollTarget(rows[row].mClass), rows[row].mKind) << "row " << row;
  }
}

TEST(ScrollRulesTest, DirectionAndDeflection) {
  const struct {
    int32_t mTx, mTy, mTz;
    int32_t mVertical, mDeflection;
    bool mIsTie, mIsVertical;
    int32_t mDirection;
  } rows[] = {
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
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const ScrollMotion motion = scrollMotion(rows[row].mTx, rows[row].mTy, rows[row].mTz);
    EXPECT_EQ(motion.mVertical, rows[row].mVertical) << "row " << row;
    EXPECT_EQ(motion.mDeflection, rows[row].mDeflection) << "row " << row;
    EXPECT_EQ(motion.mIsTie, rows[row].mIsTie) << "row " << row;
    EXPECT_EQ(motion.mIsVertical, rows[row].mIsVertical) << "row " << row;
    EXPECT_EQ(motion.mDirection, rows[row].mDirection) << "row " << row;
  }
}

TEST(ScrollRulesTest, ScrollBarRangeStepsAndLines) {
  const struct {
    int32_t mMin, mMax;
    uint32_t mPage;
    int32_t mPos, mDirection;
    bool mIsUsable;
    int32_t mSteps, mLine;
  } rows[] = {
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
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_EQ(isScrollRangeUsable(rows[row].mMin, rows[row].mMax, rows[row].mPage),
              rows[row].mIsUsable)
        << "row " << row;
    EXPECT_EQ(scrollBarSteps(rows[row].mMax), rows[row].mSteps) << "row " << row;
    EXPECT_EQ(scrollLineCode(rows[row].mDirection, rows[row].mPos, rows[row].mPage, rows[row].mMax),
              rows[row].mLine)
        << "row " << row;
  }
}

TEST(ScrollRulesTest, WaitAndWheel) {
  const struct {
    int32_t mDeflection;
    bool mIsScrollBar;
    int32_t mMax, mWait;
  } rows[] = {
      {40, true, 250, 130}, {0, false, 0, 150},   {100, false, 0, 100}, {298, false, 0, 1},
      {400, true, 250, 1},  {0, true, 30, 170},   {0, true, 50, 150},   {297, true, 49, 3},
      {40, false, 30, 130}, {32768, true, 0, 51},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_EQ(scrollWaitMs(rows[row].mDeflection, rows[row].mIsScrollBar, rows[row].mMax),
              rows[row].mWait)
        << "row " << row;
  }
  EXPECT_EQ(wheelWParam(-1), 0x00780000u);
  EXPECT_EQ(wheelWParam(-100), 0x00780000u);
  EXPECT_EQ(wheelWParam(1), 0xFF880000u);
  EXPECT_EQ(wheelWParam(100), 0xFF880000u);
}

}  // namespace
