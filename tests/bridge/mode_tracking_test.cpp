// The mode the plug-in keeps: the sketch rule and the previous mode kept in another window. The
// current window's mode and sketch (host_modes_and_windows.scn, korvex_menu.scn "sketch on") and an
// access callback in another window keeping the mode (host_modes_and_windows.scn "window-silent")
// are the scenarios'; here the host's failed answers and the corners around them.
#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

#include "mode_tracking.h"

namespace {

TEST(ModeTrackingTest, SketchAndWindowRules) {
  // Old mode; answers: mode, section result, sketcher, window result, window id; keep the mode on a
  // window change; followed window before; mode; restored; followed window after.
  const std::tuple<int32_t, ModeAnswers, bool, int32_t, int32_t, bool, int32_t> rows[] = {
      // The sketch answer counts only when the call succeeded.
      {5, {5, -1, 1, 0, 2}, false, 2, 5, false, 2},
      {5, {5, 0, 0, 0, 2}, false, 2, 5, false, 2},
      // A failed window call leaves window 0 as the one followed.
      {5, {6, 0, 0, -8, 0}, false, 2, 6, false, 0},
      // Access callbacks in the followed window take its mode, sketch included.
      {0, {5, 0, 0, 0, 2}, true, 2, 5, false, 2},
      // In another window they keep the previous mode and leave the followed window.
      {5, {5, 0, 1, 0, 3}, true, 2, 5, true, 2},
      {-1, {6, 0, 0, 0, 3}, true, -1, -1, true, -1},
      // Without a window answer they cannot tell: the host's mode is taken.
      {5, {1, 0, 0, -8, 0}, true, 2, 1, false, 2},
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    auto [oldMode, answers, keep, lastWindow, mode, isRestored, lastWindowAfter] = rows[row];
    const ModeDecision decision = decideMode(oldMode, answers, keep, &lastWindow);
    EXPECT_EQ(decision.mMode, mode) << "row " << row;
    EXPECT_EQ(decision.mIsRestored, isRestored) << "row " << row;
    EXPECT_EQ(lastWindow, lastWindowAfter) << "row " << row;
  }
}

}  // namespace
