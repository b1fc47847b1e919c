// A scripted stand-in for the controller client library, installed in place of the DLL: it records
// every call with its thread and time, and answers from a script the test sets; it never has an
// event to give.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct FakeCall {
  std::string mName;
  unsigned long mThreadId;
  std::chrono::steady_clock::time_point mTime;
};

class FakeKxApi {
 public:
  static FakeKxApi& instance();
  // Installs the fake as the plug-in's library and resets the script.
  static FakeKxApi& install();
  void reset();

  std::vector<FakeCall> calls();
  bool waitForCall(const std::string& name, int count, int timeoutMs);
  int countCalls(const std::string& name);

  std::atomic<int32_t> mConnectResult{-1};
  // Results of kxGetDevNum in call order; the last one repeats.
  std::deque<int32_t> mDevNumResults;
  std::atomic<int32_t> mLegacyCom1{1};
  std::atomic<int32_t> mGetParameterResult{0};
  std::atomic<int32_t> mSetParameterResult{0};
  // A library whose read returns at once when nothing is pending, as a daemon-less one may.
  std::atomic<bool> mIsGetEventImmediate{false};
  std::atomic<long> mGetEventCalls{0};
  // Runs inside the next kxSetApplMode, once, as another thread's work would during that call.
  std::function<void()> mDuringSetApplMode;

  std::mutex mLock;
  std::vector<FakeCall> mCalls;

  void record(const char* name);
  int32_t nextDevNumResult();
};
