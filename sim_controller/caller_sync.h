// A mutex and a condition variable on Win32's own primitives, for state that the library's callers
// wait on. The standard ones of this toolchain sit on a statically linked winpthreads, which
// registers every foreign thread that waits on a condition (a thread handle and an event) and can
// give that back only on the thread's exit: a host whose thread outlives one load of this library
// would keep them for ever, once per load.
#pragma once

#include <windows.h>

#include <chrono>
#include <mutex>

class CallerMutex {
 public:
  CallerMutex() = default;
  CallerMutex(const CallerMutex&) = delete;
  CallerMutex& operator=(const CallerMutex&) = delete;
  void lock() { AcquireSRWLockExclusive(&mLock); }
  void unlock() { ReleaseSRWLockExclusive(&mLock); }
  bool try_lock() { return TryAcquireSRWLockExclusive(&mLock) != 0; }
  SRWLOCK* native() { return &mLock; }

 private:
  SRWLOCK mLock = SRWLOCK_INIT;
};

class CallerCondition {
 public:
  CallerCondition() = default;
  CallerCondition(const CallerCondition&) = delete;
  CallerCondition& operator=(const CallerCondition&) = delete;
  void notify_all() { WakeAllConditionVariable(&mCondition); }

  // The held lock is released while waiting; returns the predicate's last value.
  template <typename Predicate>
  bool wait_until(std::unique_lock<CallerMutex>& lock,
                  std::chrono::steady_clock::time_point deadline, Predicate isDone) {
    while (!isDone()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return isDone();
      // Rounded up, so a wait never ends just before its deadline and spins.
      SleepConditionVariableSRW(&mCondition, lock.mutex()->native(),
                                static_cast<DWORD>(left.count()) + 1, 0);
    }
    return true;
  }
  template <typename Rep, typename Period, typename Predicate>
  bool wait_for(std::unique_lock<CallerMutex>& lock, std::chrono::duration<Rep, Period> timeout,
                Predicate isDone) {
    return wait_until(lock, std::chrono::steady_clock::now() + timeout, isDone);
  }

 private:
  CONDITION_VARIABLE mCondition = CONDITION_VARIABLE_INIT;
};
