// The first-start wait of the reading thread and the progress window's percentage, windowless.
#include "progress_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The texts themselves are read back from the window in the progress window test.
TEST(ProgressWatchTest, Percent) {
  const struct {
    double progress;
    bool isShowable;
    int32_t percent;
  } rows[] = {
      {-1.0, false, 0}, {0.0, true, 0},       {0.00017, true, 0}, {0.3, true, 30},
      {0.29, true, 28},  // 0.29 * 100 lies just below 29: truncated, not rounded
      {0.5, true, 50},  {0.999999, true, 99}, {1.0, true, 100},   {1.0000001, false, 0},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    EXPECT_EQ(ProgressWatch::isShowable(rows[i].progress), rows[i].isShowable) << "row " << i;
    if (!rows[i].isShowable) continue;
    EXPECT_EQ(ProgressWatch::percentOf(rows[i].progress), rows[i].percent) << "row " << i;
  }
}

// The window's own course is watched in a first-start scenario; these are the wait's turns there.
// Each row feeds the wait a course of progress values and keep-reading answers and compares what
// the wait did: R read the progress, S start the window, U<p> update it, Z sleep, K ask whether to
// keep reading.
struct WatchRow {
  const char* name;
  std::vector<double> progress;  // one per read; the last repeats
  std::vector<bool> isToRead;    // one per question; the last repeats
  const char* calls;
};

TEST(ProgressWatchTest, CoursesOfTheWait) {
  const WatchRow rows[] = {
      {"menu file present: no window", {-1.0, -1.0, 1.0}, {true}, "K R Z K R Z K R"},
      {"first start",
       {-1.0, 0.0, 0.3, 0.9, 1.0},
       {true},
       "K R Z K R S U0 Z K R U0.3 Z K R U0.9 Z K R"},
      {"stopped during the build", {0.5}, {true, true, false}, "K R S U0.5 Z K R U0.5 Z K"},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    const WatchRow& row = rows[i];
    std::ostringstream calls;
    size_t reads = 0, questions = 0;
    std::atomic<bool> isToShow{true};  // stale from before: the wait clears it first
    bool isShownAtStart = true;
    bool isShownAtUpdates = true;
    ProgressWatch watch;
    watch.mReadProgress = [&] {
      calls << "R ";
      return row.progress[std::min(reads++, row.progress.size() - 1)];
    };
    watch.mIsToRead = [&] {
      calls << "K ";
      return static_cast<bool>(row.isToRead[std::min(questions++, row.isToRead.size() - 1)]);
    };
    watch.mStartWindow = [&] {
      calls << "S ";
      isShownAtStart = isShownAtStart && isToShow;
    };
    watch.mUpdateWindow = [&](double p) {
      calls << "U" << p << " ";
      isShownAtUpdates = isShownAtUpdates && isToShow;
    };
    watch.mSleep = [&](int) { calls << "Z "; };
    watch.watch(isToShow);
    std::string got = calls.str();
    if (!got.empty()) got.pop_back();
    EXPECT_EQ(got, row.calls) << "row " << i << " (" << row.name << ")";
    EXPECT_FALSE(isToShow) << "row " << i << " (" << row.name << "): the window would stay";
    EXPECT_TRUE(isShownAtStart) << "row " << i << ": the window thread started with the flag clear";
    EXPECT_TRUE(isShownAtUpdates) << "row " << i << ": an update while the flag was clear";
  }
}

}  // namespace
