// The host bridge. For now it holds only what the root object and the device link share with it:
// the timer's stop flag, the refit switch of the view commands, the catalogue progress and the mode
// name. The timer pump, the motion dispatch and the menus grow here.
#pragma once

#include <atomic>
#include <string>

class CKxAddin;

class CreoProxy {
 public:
  explicit CreoProxy(CKxAddin* addinP);
  ~CreoProxy();
  CreoProxy(const CreoProxy&) = delete;
  CreoProxy& operator=(const CreoProxy&) = delete;

  std::string getCurrentModeName();

  CKxAddin* mAddinP;
  std::atomic<bool> mIsTimerOn;
  std::atomic<bool> mIsRefitAfterViewCmd;
  // Below 0 before the catalogue step, 0..1 while it is built, exactly 1 once loading has ended.
  std::atomic<double> mMnuProgress;
};
