// The LegacyCOM1 hand-over touches the device only when the decision changes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "creo_proxy.h"
#include "daemon_proxy.h"
#include "fake_kx_api.h"
#include "kx_addin.h"

namespace {

struct LegacyRow {
  const char* mName;
  int32_t mDeviceValue;  // LegacyCOM1 on the device before the row
  int32_t mGetResult;    // result of kxGetParameter
  int32_t mSetResult;    // result of kxSetParameter
  std::string mOps;      // 's' = stopLegacyCom1, 'r' = resetLegacyCom1
  std::string mResults;  // '1' true, '0' false, one per op
  std::vector<std::string> mCalls;
  int32_t mSavedAfter;  // mLegacyCom1 after the row
  int32_t mDeviceAfter;
};

TEST(DaemonProxyTest, LegacyCom1Pairs) {
  FakeKxApi::install();
  FakeKxApi& fake = FakeKxApi::instance();
  ASSERT_EQ(kxAddinStart(), 0);
  DaemonProxy* proxy = sAddinP->mDaemonProxyP;
  ASSERT_NE(proxy, nullptr);

  const LegacyRow rows[] = {
      {"stop twice reads once", 1, 0, 0, "ss", "10", {"kxGetParameter", "kxSetParameter(0)"}, 1, 0},
      {"stop then reset restores",
       1,
       0,
       0,
       "sr",
       "11",
       {"kxGetParameter", "kxSetParameter(0)", "kxSetParameter(1)"},
       -1,
       1},
      {"reset without a saved value does nothing", 1, 0, 0, "r", "0", {}, -1, 1},
      {"a saved 0 is never written", 0, 0, 0, "srr", "110", {"kxGetParameter"}, -1, 0},
      {"a saved 2 is left as it was", 2, 0, 0, "sr", "11", {"kxGetParameter"}, -1, 2},
      {"a failed read saves nothing",
       1,
       7,
       0,
       "ss",
       "00",
       {"kxGetParameter", "kxGetParameter"},
       -1,
       1},
      {"a failed switch-off keeps the saved 1",
       1,
       0,
       3,
       "ss",
       "00",
       {"kxGetParameter", "kxSetParameter(0)"},
       1,
       1},
      {"stop, reset, stop switches off again",
       1,
       0,
       0,
       "srs",
       "111",
       {"kxGetParameter", "kxSetParameter(0)", "kxSetParameter(1)", "kxGetParameter",
        "kxSetParameter(0)"},
       1,
       0},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const LegacyRow& r = rows[row];
    proxy->mLegacyCom1 = -1;
    fake.mLegacyCom1 = r.mDeviceValue;
    fake.mGetParameterResult = r.mGetResult;
    fake.mSetParameterResult = r.mSetResult;
    {
      std::lock_guard<std::mutex> guard(fake.mLock);
      fake.mCalls.clear();
    }
    std::string results;
    for (char op : r.mOps) {
      results += (op == 's' ? proxy->stopLegacyCom1() : proxy->resetLegacyCom1()) ? '1' : '0';
    }
    std::vector<std::string> calls;
    for (const FakeCall& call : fake.calls()) {
      if (call.mName.rfind("kxGetParameter", 0) == 0 || call.mName.rfind("kxSetParameter", 0) == 0)
        calls.push_back(call.mName);
    }
    EXPECT_EQ(results, r.mResults) << "row " << row << " (" << r.mName << ")";
    EXPECT_EQ(calls, r.mCalls) << "row " << row << " (" << r.mName << ")";
    EXPECT_EQ(proxy->mLegacyCom1, r.mSavedAfter) << "row " << row << " (" << r.mName << ")";
    EXPECT_EQ(fake.mLegacyCom1, r.mDeviceAfter) << "row " << row << " (" << r.mName << ")";
  }

  // A switch-on that fails is tried again by the next reset.
  proxy->mLegacyCom1 = -1;
  fake.mLegacyCom1 = 1;
  fake.mSetParameterResult = 0;
  ASSERT_TRUE(proxy->stopLegacyCom1());
  fake.mSetParameterResult = 9;
  EXPECT_FALSE(proxy->resetLegacyCom1());
  EXPECT_EQ(proxy->mLegacyCom1, 1);
  fake.mSetParameterResult = 0;
  EXPECT_TRUE(proxy->resetLegacyCom1());
  EXPECT_EQ(fake.mLegacyCom1, 1);
  EXPECT_EQ(proxy->mLegacyCom1, -1);

  kxAddinStop();
}

// A library that fails every read at once must not make the reading thread spin.
TEST(DaemonProxyTest, ReadingLoopPausesAfterAFailedRead) {
  FakeKxApi::install();
  FakeKxApi& fake = FakeKxApi::instance();
  fake.mIsGetEventImmediate = true;
  fake.mConnectResult = 1;  // the daemon is absent
  ASSERT_EQ(kxAddinStart(), 0);
  sAddinP->mCreoProxyP->mMnuProgress = 1.0;  // no host here to end the catalogue step
  ASSERT_TRUE(fake.waitForCall("kxSetApplMode", 1, 5000)) << "the reading loop never ran";
  const long before = fake.mGetEventCalls;
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const long reads = fake.mGetEventCalls - before;
  kxAddinStop();
  // A pause of some milliseconds allows tens of reads a second; a spinning loop makes millions.
  EXPECT_GT(reads, 0);
  EXPECT_LT(reads, 1000) << "the reading loop spins on a failing library";
}

// The watch thread may reconnect while the reading thread is inside kxSetApplMode; the mode must
// then be announced once more, or a restarted daemon never learns it.
TEST(DaemonProxyTest, ReconnectDuringAnAnnouncementAnnouncesAgain) {
  FakeKxApi::install();
  FakeKxApi& fake = FakeKxApi::instance();
  ASSERT_EQ(kxAddinStart(), 0);
  DaemonProxy* proxy = sAddinP->mDaemonProxyP;
  {
    std::lock_guard<std::mutex> guard(fake.mLock);
    fake.mDuringSetApplMode = [proxy] { proxy->connect(); };
  }
  sAddinP->mCreoProxyP->mMnuProgress = 1.0;  // no host here to end the catalogue step
  const bool isAnnouncedAgain = fake.waitForCall("kxSetApplMode", 2, 5000);
  kxAddinStop();
  EXPECT_TRUE(isAnnouncedAgain) << "the reconnect's request to announce the mode was lost";
}

}  // namespace
