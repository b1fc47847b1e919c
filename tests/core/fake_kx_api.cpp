#include "fake_kx_api.h"

#include <algorithm>
#include <thread>

#include "kx_library.h"
#include "thread_id.h"
#include "wait_for.h"

namespace {

// Records the call and hands back the fake for its answer.
FakeKxApi& called(const char* name) {
  FakeKxApi::instance().record(name);
  return FakeKxApi::instance();
}

// For the calls that only succeed.
int32_t succeeded(const char* name) {
  FakeKxApi::instance().record(name);
  return 0;
}

// Nothing is ever pending: the tests store events in the slot themselves.
int32_t KX_CALL fakeGetEvent(int32_t, int16_t*, int16_t*, int16_t*, int16_t*, int16_t*, int16_t*,
                             int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) {
  FakeKxApi& fake = FakeKxApi::instance();
  ++fake.mGetEventCalls;
  // Like the real library: a bounded wait when nothing is pending.
  if (!fake.mIsGetEventImmediate) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return 1;
}

int32_t KX_CALL fakeSetApplMode(const char*, const char*) {
  FakeKxApi& fake = called("kxSetApplMode");
  std::function<void()> during;
  {
    std::lock_guard<std::mutex> guard(fake.mLock);
    during.swap(fake.mDuringSetApplMode);
  }
  if (during) during();
  return 0;
}

}  // namespace

FakeKxApi& FakeKxApi::instance() {
  static FakeKxApi sFake;
  return sFake;
}

FakeKxApi& FakeKxApi::install() {
  // Named, not positional: several entries share a signature and would swap unnoticed.
  KxApi table;
  table.connect = [](int32_t, const char*) { return called("kxConnect").mConnectResult.load(); };
  table.disconnect = [] { return succeeded("kxDisconnect"); };
  table.getEvent = fakeGetEvent;
  table.getAdvancedSettings = [](int32_t, void*) { return succeeded("kxGetAdvancedSettings"); };
  table.getParameter = [](int32_t, int32_t* value) {
    *value = called("kxGetParameter").mLegacyCom1;
    return instance().mGetParameterResult.load();
  };
  table.getDevInfo = [](int32_t, void* record) {
    static_cast<char*>(record)[KX_DEV_INFO_DESCRIPTION_OFFSET] = '\0';
    return succeeded("kxGetDevInfo");
  };
  table.getDevNum = [](int32_t* count, int32_t*, int32_t*) {
    *count = 0;
    return called("kxGetDevNum").nextDevNumResult();
  };
  table.setParameter = [](int32_t, int32_t* value) {
    FakeKxApi& fake = called(*value ? "kxSetParameter(1)" : "kxSetParameter(0)");
    if (fake.mSetParameterResult == 0) fake.mLegacyCom1 = *value;
    return fake.mSetParameterResult.load();
  };
  table.setDllLogFlags = [](const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                            int32_t, int32_t, int32_t, int32_t, int32_t,
                            const char*) { return succeeded("kxSetDllLogFlags"); };
  table.setApplMode = fakeSetApplMode;
  KxLibrary::install(table);
  instance().reset();
  return instance();
}

void FakeKxApi::reset() {
  std::lock_guard<std::mutex> guard(mLock);
  mCalls.clear();
  mDevNumResults = {0};
  mConnectResult = 0;
  mLegacyCom1 = 1;
  mGetParameterResult = 0;
  mSetParameterResult = 0;
  mIsGetEventImmediate = false;
  mGetEventCalls = 0;
  mDuringSetApplMode = nullptr;
}

void FakeKxApi::record(const char* name) {
  std::lock_guard<std::mutex> guard(mLock);
  mCalls.push_back({name, currentThreadId(), std::chrono::steady_clock::now()});
}

int32_t FakeKxApi::nextDevNumResult() {
  std::lock_guard<std::mutex> guard(mLock);
  const int32_t result = mDevNumResults.front();
  if (mDevNumResults.size() > 1) mDevNumResults.pop_front();
  return result;
}

std::vector<FakeCall> FakeKxApi::calls() {
  std::lock_guard<std::mutex> guard(mLock);
  return mCalls;
}

int FakeKxApi::countCalls(const std::string& name) {
  const std::vector<FakeCall> all = calls();
  return static_cast<int>(
      std::count_if(all.begin(), all.end(), [&](const FakeCall& c) { return c.mName == name; }));
}

bool FakeKxApi::waitForCall(const std::string& name, int count, int timeoutMs) {
  return waitFor([&] { return countCalls(name) >= count; }, timeoutMs);
}
