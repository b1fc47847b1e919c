#include "progress_watch.h"

bool ProgressWatch::isShowable(double progress) { return progress >= 0.0 && progress <= 1.0; }

int32_t ProgressWatch::percentOf(double progress) {
  if (!isShowable(progress)) return 0;
  return static_cast<int32_t>(progress * 100.0);
}

std::string ProgressWatch::textFor(int32_t percent) {
  return std::string(kInitialText) + " " + std::to_string(percent) + "%";
}

void ProgressWatch::watch(std::atomic<bool>& isToShow) const {
  isToShow = false;
  if (mIsToRead()) {
    while (true) {
      const double progress = mReadProgress();
      if (!(progress < 1.0)) break;
      if (progress >= 0.0) {
        if (!isToShow) {
          isToShow = true;
          mStartWindow();
        }
        if (isToShow) mUpdateWindow(progress);
      }
      mSleep(kPollMs);
      if (!mIsToRead()) break;
    }
  }
  isToShow = false;
}
