#include "fake_kx_api.h"

#include <thread>

#include "kx_library.h"
#include "thread_id.h"

namespace {

int32_t KX_CALL fakeConnect(int32_t, const char*) {
  FakeKxApi& fake = FakeKxApi::instance();
  fake.record("kxConnect");
  return fake.mConnectResult;
}

int32_t KX_CALL fakeDisconnect() {
  FakeKxApi::instance().record("kxDisconnect");
  return 0;
}

int32_t KX_CALL fakeGetEvent(int32_t, int16_t* tx, int16_t* ty, int16_t* tz, int16_t* rx,
                             int16_t* ry, int16_t* rz, int32_t*, int32_t*, int32_t* code, int32_t*,
                             int32_t*) {
  FakeKxApi& fake = FakeKxApi::instance();
  ++fake.mGetEventCalls;
  {
    std::lock_guard<std::mutex> guard(fake.mLock);
    if (!fake.mEvents.empty()) {
      const FakeEvent event = fake.mEvents.front();
      fake.mEvents.pop_front();
      *tx = event.mMotion[0];
      *ty = event.mMotion[1];
      *tz = event.mMotion[2];
      *rx = event.mMotion[3];
      *ry = event.mMotion[4];
      *rz = event.mMotion[5];
      *code = event.mCode;
      return 0;
    }
  }
  // Like the real library: a bounded wait when nothing is pending.
  if (!fake.mIsGetEventImmediate) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return 1;
}

int32_t KX_CALL fakeGetAdvancedSettings(int32_t, void*) {
  FakeKxApi::instance().record("kxGetAdvancedSettings");
  return 0;
}

int32_t KX_CALL fakeGetParameter(int32_t, int32_t* value) {
  FakeKxApi& fake = FakeKxApi::instance();
  fake.record("kxGetParameter");
  *value = fake.mLegacyCom1;
  return fake.mGetParameterResult;
}

int32_t KX_CALL fakeGetDevInfo(int32_t, void* record) {
  FakeKxApi::instance().record("kxGetDevInfo");
  static_cast<char*>(record)[KX_DEV_INFO_DESCRIPTION_OFFSET] = '\0';
  return 0;
}

int32_t KX_CALL fakeGetDevNum(int32_t* count, int32_t*, int32_t*) {
  FakeKxApi& fake = FakeKxApi::instance();
  fake.record("kxGetDevNum");
  *count = 0;
  return fake.nextDevNumResult();
}

int32_t KX_CALL fakeSetParameter(int32_t, int32_t* value) {
  FakeKxApi& fake = FakeKxApi::instance();
  fake.record(*value ? "kxSetParameter(1)" : "kxSetParameter(0)");
  if (fake.mSetParameterResult == 0) fake.mLegacyCom1 = *value;
  return fake.mSetParameterResult;
}

int32_t KX_CALL fakeSetDllLogFlags(const char*, int32_t, int32_t, int32_t, int32_t, int32_t,
                                   int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                   const char*) {
  FakeKxApi::instance().record("kxSetDllLogFlags");
  return 0;
}

int32_t KX_CALL fakeSetApplMode(const char*, const char*) {
  FakeKxApi& fake = FakeKxApi::instance();
  fake.record("kxSetApplMode");
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

void FakeKxApi::install() {
  KxApi table;
  table.connect = fakeConnect;
  table.disconnect = fakeDisconnect;
  table.getEvent = fakeGetEvent;
  table.getAdvancedSettings = fakeGetAdvancedSettings;
  table.getParameter = fakeGetParameter;
  table.getDevInfo = fakeGetDevInfo;
  table.getDevNum = fakeGetDevNum;
  table.setParameter = fakeSetParameter;
  table.setDllLogFlags = fakeSetDllLogFlags;
  table.setApplMode = fakeSetApplMode;
  KxLibrary::install(table);
  instance().reset();
}

void FakeKxApi::reset() {
  std::lock_guard<std::mutex> guard(mLock);
  mCalls.clear();
  mEvents.clear();
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

void FakeKxApi::queueEvent(int32_t code, const int16_t motion[6]) {
  FakeEvent event{code, {motion[0], motion[1], motion[2], motion[3], motion[4], motion[5]}};
  std::lock_guard<std::mutex> guard(mLock);
  mEvents.push_back(event);
}

int FakeKxApi::countCalls(const std::string& name) {
  int count = 0;
  for (const FakeCall& call : calls()) count += call.mName == name ? 1 : 0;
  return count;
}

bool FakeKxApi::waitForCall(const std::string& name, int count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (countCalls(name) >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return countCalls(name) >= count;
}
