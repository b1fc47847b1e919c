// Start-up, the connection watch thread and the stop protocol of the root object.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "daemon_proxy.h"
#include "fake_kx_api.h"
#include "kx_addin.h"
#include "thread_id.h"

namespace {

using Clock = std::chrono::steady_clock;

long millisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

// Calls made by the watch thread: not the test's own thread, and not the reading thread's reads and
// mode announcements.
std::vector<FakeCall> watchThreadCalls() {
  std::vector<FakeCall> result;
  const unsigned long self = currentThreadId();
  for (const FakeCall& call : FakeKxApi::instance().calls()) {
    if (call.mThreadId != self && call.mName != "kxSetApplMode") result.push_back(call);
  }
  return result;
}

TEST(LifecycleTest, WatchThreadChecksAtOnceThenEveryTwoSecondsAndConnectsOnlyAfterAFailure) {
  FakeKxApi& fake = FakeKxApi::install();
  // The constructor's connect, then three checks of which the second fails, then the reconnect.
  fake.mDevNumResults = {0, 0, 5, 0, 0};

  const Clock::time_point started = Clock::now();
  ASSERT_EQ(kxAddinStart(), 0);
  ASSERT_NE(sAddinP, nullptr);
  ASSERT_TRUE(fake.waitForCall("kxGetDevNum", 5, 15000)) << "the watch thread did not check thrice";
  kxAddinStop();
  EXPECT_EQ(sAddinP, nullptr);

  const std::vector<FakeCall> calls = watchThreadCalls();
  const std::vector<std::string> expected = {"kxGetDevNum", "kxGetDevNum", "kxDisconnect",
                                             "kxConnect",   "kxGetDevNum", "kxGetAdvancedSettings",
                                             "kxGetDevNum"};
  ASSERT_GE(calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(calls[i].mName, expected[i]) << "call " << i;
  }
  // Every watch-thread call comes from one thread.
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(calls[i].mThreadId, calls[0].mThreadId) << i;

  // The first check comes at once, the next ones after the two-second pause. A first check that
  // waited for the pause comes after 2000 ms; below that, only a slow thread start can be at work.
  EXPECT_LT(millisecondsBetween(started, calls[0].mTime), 1900);
  EXPECT_GE(millisecondsBetween(calls[0].mTime, calls[1].mTime), 1950);
  EXPECT_GE(millisecondsBetween(calls[1].mTime, calls[6].mTime), 1950);
  EXPECT_LT(millisecondsBetween(calls[0].mTime, calls[6].mTime), 8000);
}

// A stop without a start and a second stop touch nothing; a second start keeps the running object.
// The stop waits for the watch thread, which looks at its flag after its pause, and gives
// LegacyCOM1 back as the plug-in found it.
TEST(LifecycleTest, StartsAndStopsOnceEach) {
  FakeKxApi& fake = FakeKxApi::install();
  kxAddinStop();
  EXPECT_EQ(sAddinP, nullptr);
  EXPECT_TRUE(fake.calls().empty()) << "a stop without start touched the library";

  ASSERT_EQ(kxAddinStart(), 0);
  CKxAddin* first = sAddinP;
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(kxAddinStart(), 0);
  EXPECT_EQ(sAddinP, first) << "a second start must not replace the running object";
  ASSERT_TRUE(fake.waitForCall("kxGetDevNum", 2, 5000)) << "the watch thread never checked";
  ASSERT_TRUE(sAddinP->mDaemonProxyP->stopLegacyCom1());
  EXPECT_EQ(fake.mLegacyCom1, 0);

  const Clock::time_point stopping = Clock::now();
  kxAddinStop();
  const long took = millisecondsBetween(stopping, Clock::now());
  EXPECT_GE(took, 1950) << "the destructor must look at the watch thread's flag after a pause";
  EXPECT_LT(took, 10000);
  EXPECT_EQ(fake.mLegacyCom1, 1);
  EXPECT_EQ(fake.countCalls("kxSetParameter(1)"), 1);

  const size_t callsAfterStop = fake.calls().size();
  kxAddinStop();
  EXPECT_EQ(sAddinP, nullptr);
  EXPECT_EQ(fake.calls().size(), callsAfterStop) << "the second stop touched the library";
}

}  // namespace
