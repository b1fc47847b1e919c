// The reading thread's wake-up of the timer pump, driven from the test's thread, which plays the
// host's user-interface thread: it owns a top-level window, so the bridge sets its timer there.
#include <gtest/gtest.h>
#include <windows.h>

#include "addin_suite.h"

namespace {

class PumpWakeTest : public AddinSuite {
 protected:
  static void SetUpTestSuite() {
    sWindow = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
    AddinSuite::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    AddinSuite::TearDownTestSuite();
    DestroyWindow(sWindow);
  }
  void SetUp() override {
    mProxy = proxy();
    ASSERT_NE(mProxy->mWakeWindow.handle(), nullptr);
    ASSERT_GE(mProxy->mTimerWndHandle, 1) << "no timer window found";
    // Only a wake-up runs a tick from here on: the pending timer goes, the pump stays armed.
    KillTimer(timerWindow(), CreoProxy::kTimerId);
    drain();
    sAddin->takeMenuFncIdx();
    sAddin->takeKeyEvent();
    mProxy->mIsPumpArmed = true;
    mProxy->mIsInTick = false;
    mProxy->mIsWakeDeferred = false;
  }

  HWND timerWindow() const {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(mProxy->mTimerWndHandle));
  }

  // Runs every message waiting for this thread; returns how many were wake-ups.
  static int drain() {
    int wakes = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == PumpWakeWindow::kMessage) ++wakes;
      DispatchMessageW(&message);
    }
    return wakes;
  }

  static inline HWND sWindow = nullptr;
  CreoProxy* mProxy = nullptr;
};

// However often the reading thread wakes the pump before the user-interface thread gets to it, one
// message waits, and it runs one tick, which takes the press and sets the timer again.
TEST_F(PumpWakeTest, OneWakeUpRunsTheTickAndSetsTheTimerAgain) {
  sAddin->storeEventCode(APPL_FUNC_START + 3);
  for (int i = 0; i < 5; ++i) mProxy->wakePump();
  EXPECT_EQ(drain(), 1);
  EXPECT_EQ(sAddin->mMenuFncIdx.load(), -1) << "the press was not taken";
  EXPECT_FALSE(mProxy->mWakeWindow.isPosted());
  EXPECT_TRUE(KillTimer(timerWindow(), CreoProxy::kTimerId)) << "the timer was not set again";
  // The next press wakes it again.
  sAddin->storeEventCode(KX_EV_SPECIAL_FIRST);
  mProxy->wakePump();
  EXPECT_EQ(drain(), 1);
  EXPECT_EQ(sAddin->mKeyEvent.load(), 0) << "the second press was not taken";
}

// A pump that is not armed (stopped by a failed tick, or without a timer window) stays as it is.
TEST_F(PumpWakeTest, AStoppedPumpIsNotStarted) {
  mProxy->mIsPumpArmed = false;
  sAddin->storeEventCode(APPL_FUNC_START + 2);
  mProxy->wakePump();
  EXPECT_EQ(drain(), 1);
  EXPECT_EQ(sAddin->mMenuFncIdx.load(), 2) << "a tick ran";
  EXPECT_FALSE(KillTimer(timerWindow(), CreoProxy::kTimerId)) << "the timer was set";
  EXPECT_FALSE(mProxy->mWakeWindow.isPosted()) << "no later wake-up could be posted";
}

// A wake-up dispatched while a tick runs (a host call that runs a message loop) does not run a
// tick inside the tick: it is posted again when the tick ends, and then runs its own.
TEST_F(PumpWakeTest, AWakeUpDuringATickWaitsForItsEnd) {
  mProxy->mIsInTick = true;
  sAddin->storeEventCode(APPL_FUNC_START + 1);
  mProxy->wakePump();
  EXPECT_EQ(drain(), 1);
  EXPECT_EQ(sAddin->mMenuFncIdx.load(), 1) << "a tick ran inside the tick";
  EXPECT_TRUE(mProxy->mIsWakeDeferred);
  mProxy->mIsInTick = false;
  // The tick in progress ends: it takes what waits and posts the deferred wake-up.
  CreoProxy::TimerProc(timerWindow(), WM_TIMER, CreoProxy::kTimerId, 0);
  EXPECT_EQ(sAddin->mMenuFncIdx.load(), -1);
  EXPECT_FALSE(mProxy->mIsWakeDeferred);
  KillTimer(timerWindow(), CreoProxy::kTimerId);
  sAddin->storeEventCode(APPL_FUNC_START + 4);
  EXPECT_EQ(drain(), 1) << "the deferred wake-up was not posted";
  EXPECT_EQ(sAddin->mMenuFncIdx.load(), -1) << "the deferred wake-up ran no tick";
}

}  // namespace
