// The reading thread's wait for the command catalogue on a first start, and the texts of the window
// that shows its progress. No Windows header: the window itself is behind the seams.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class ProgressWatch {
 public:
  // The text line before the first update.
  static constexpr const char* kInitialText = "Preparing for first start...";

  // Whether a progress value is shown at all: 0.0 to 1.0.
  static bool isShowable(double progress);
  // The percentage of a showable value, truncated toward zero.
  static int32_t percentOf(double progress);
  // The text line for a percentage: the initial text, a space, the number and "%".
  static std::string textFor(int32_t percent);

  // What the wait needs from its surroundings; each must be set before watch() runs.
  std::function<double()> mReadProgress;
  std::function<bool()> mIsToRead;
  std::function<void()> mStartWindow;
  std::function<void(double)> mUpdateWindow;
  std::function<void(int)> mSleep;

  // Polls the progress until the catalogue step is over or reading is to stop. The window is
  // started at the first value of 0.0 or more and fed every value after; isToShow is cleared on the
  // way out so the window goes away.
  void watch(std::atomic<bool>& isToShow) const;

  static constexpr int kPollMs = 50;
};
