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
  int32_t mDeviceValue;     // LegacyCOM1 on the device before the row
  int32_t mGetResult;       // result of kxGetParameter
  std::string mOps;         // 's' = stopLegacyCom1, 'r' = resetLegacyCom1
  std::string mSetResults;  // result of kxSetParameter during each op
  std::string mResults;     // '1' true, '0' false, one per op
  std::string mCalls;       // G = kxGetParameter, S0/S1 = kxSetParameter(0/1)
  int32_t mSavedAfter;      // mLegacyCom1 after the row
  int32_t mDeviceAfter;
};

TEST(DaemonProxyTest, LegacyCom1Pairs) {
  FakeKxApi& fake = FakeKxApi::install();
  ASSERT_EQ(kxAddinStart(), 0);
  DaemonProxy* proxy = sAddinP->mDaemonProxyP;
  ASSERT_NE(proxy, nullptr);

  const LegacyRow rows[] = {
      {"stop twice reads once", 1, 0, "ss", "00", "10", "G S0", 1, 0},
      {"stop then reset restores", 1, 0, "sr", "00", "11", "G S0 S1", -1, 1},
      {"reset without a saved value does nothing", 1, 0, "r", "0", "0", "", -1, 1},
      {"a saved 0 is never written", 0, 0, "srr", "000", "110", "G", -1, 0},
      {"a saved 2 is left as it was", 2, 0, "sr", "00", "11", "G", -1, 2},
      {"a failed read saves nothing", 1, 7, "ss", "00", "00", "G G", -1, 1},
      {"a failed switch-off keeps the saved 1", 1, 0, "ss", "33", "00", "G S0", 1, 1},
      {"stop, reset, stop switches off again", 1, 0, "srs", "000", "111", "G S0 S1 G S0", 1, 0},
      {"a failed switch-on is tried again", 1, 0, "srr", "090", "101", "G S0 S1 S1", -1, 1},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const LegacyRow& r = rows[row];
    fake.reset();
    proxy->mLegacyCom1 = -1;
    fake.mLegacyCom1 = r.mDeviceValue;
    fake.mGetParameterResult = r.mGetResult;
    std::string results;
    for (size_t op = 0; op < r.mOps.size(); ++op) {
      fake.mSetParameterResult = r.mSetResults[op] - '0';
      const bool isDone = r.mOps[op] == 's' ? proxy->stopLegacyCom1() : proxy->resetLegacyCom1();
      results += isDone ? '1' : '0';
    }
    std::string calls;
    for (const FakeCall& call : fake.calls()) {
      std::string code;
      if (call.mName == "kxGetParameter") code = "G";
      if (call.mName.rfind("kxSetParameter(", 0) == 0) code = std::string("S") + call.mName[15];
      if (!code.empty()) calls += (calls.empty() ? "" : " ") + code;
    }
    const std::string where = "row " + std::to_string(row) + " (" + r.mName + ")";
    EXPECT_EQ(results, r.mResults) << where;
    EXPECT_EQ(calls, r.mCalls) << where;
    EXPECT_EQ(proxy->mLegacyCom1, r.mSavedAfter) << where;
    EXPECT_EQ(fake.mLegacyCom1, r.mDeviceAfter) << where;
  }
  kxAddinStop();
}

// A library that fails every read at once must not make the reading thread spin.
TEST(DaemonProxyTest, ReadingLoopPausesAfterAFailedRead) {
  // The daemon absent (the link down), then present with reads that fail at once.
  for (const int32_t connectResult : {1, 0}) {
    FakeKxApi& fake = FakeKxApi::install();
    fake.mIsGetEventImmediate = true;
    fake.mConnectResult = connectResult;
    ASSERT_EQ(kxAddinStart(), 0);
    sAddinP->mCreoProxyP->mMnuProgress = 1.0;  // no host here to end the catalogue step
    ASSERT_TRUE(fake.waitForCall("kxSetApplMode", 1, 5000)) << "the reading loop never ran";
    const long before = fake.mGetEventCalls;
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const long reads = fake.mGetEventCalls - before;
    kxAddinStop();
    // A pause of some milliseconds allows tens of reads a second; a spinning loop makes millions.
    EXPECT_GT(reads, 0) << "connect result " << connectResult;
    EXPECT_LT(reads, 1000) << "the reading loop spins on a failing library, connect result "
                           << connectResult;
  }
}

// The watch thread may reconnect while the reading thread is inside kxSetApplMode; the mode must
// then be announced once more, or a restarted daemon never learns it.
TEST(DaemonProxyTest, ReconnectDuringAnAnnouncementAnnouncesAgain) {
  FakeKxApi& fake = FakeKxApi::install();
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
