// The mode the plug-in keeps: the sketch rule and the previous mode kept in another window.
#include <gtest/gtest.h>

#include "mode_tracking.h"

namespace {

TEST(ModeTrackingTest, SketchAndWindowRules) {
  const struct {
    int32_t mOldMode;
    ModeAnswers mAnswers;  // mode, section result, sketcher, window result, window id
    bool mKeep;
    int32_t mLastWindowBefore;
    int32_t mMode;
    bool mIsRestored;
    int32_t mLastWindowAfter;
  } rows[] = {
      // Notifications and the timer follow the current window.
      {-1, {1, 0, 0, 0, 1}, false, -1, 1, false, 1},
      {1, {5, 0, 0, 0, 2}, false, 1, 5, false, 2},
      {5, {5, 0, 1, 0, 2}, false, 2, 0, false, 2},
      // The sketch answer counts only when the call succeeded.
      {5, {5, -1, 1, 0, 2}, false, 2, 5, false, 2},
      {5, {5, 0, 0, 0, 2}, false, 2, 5, false, 2},
      // A failed window call leaves window 0 as the one followed.
      {5, {6, 0, 0, -8, 0}, false, 2, 6, false, 0},
      // Access callbacks in the followed window take its mode, sketch included.
      {5, {5, 0, 1, 0, 2}, true, 2, 0, false, 2},
      {0, {5, 0, 0, 0, 2}, true, 2, 5, false, 2},
      // In another window they keep the previous mode and leave the followed window.
      {5, {1, 0, 0, 0, 1}, true, 2, 5, true, 2},
      {5, {5, 0, 1, 0, 3}, true, 2, 5, true, 2},
      {-1, {6, 0, 0, 0, 3}, true, -1, -1, true, -1},
      // Without a window answer they cannot tell: the host's mode is taken.
      {5, {1, 0, 0, -8, 0}, true, 2, 1, false, 2},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    int32_t lastWindow = rows[row].mLastWindowBefore;
    const ModeDecision decision =
        decideMode(rows[row].mOldMode, rows[row].mAnswers, rows[row].mKeep, &lastWindow);
    EXPECT_EQ(decision.mMode, rows[row].mMode) << "row " << row;
    EXPECT_EQ(decision.mIsRestored, rows[row].mIsRestored) << "row " << row;
    EXPECT_EQ(lastWindow, rows[row].mLastWindowAfter) << "row " << row;
  }
}

}  // namespace
