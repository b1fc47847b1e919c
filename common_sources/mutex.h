// The system's one lock: a process-private unnamed POSIX semaphore. Failures are reported on the
// console, never through the log, because the log is what this lock protects.
#pragma once

#include <semaphore.h>

#include <cstdio>

class Mutex {
 public:
  explicit Mutex(const char* name);
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  int lock();
  int unlock();

  bool isInitialised() const { return mIsInitialised; }
  bool isLocked() const { return mIsLocked; }

  // Where the failure messages go instead of standard output and standard error; tests set them
  // to capture the text. Null means the standard stream. They are plain pointers, set before any
  // constructor runs, because the log's own Mutex is built during static initialisation, when
  // stdout of the C runtime may not have been looked up yet.
  static FILE* sOutStream;
  static FILE* sErrStream;

 private:
  friend class MutexTestAccess;  // lets tests break the semaphore to see the failure reports

  sem_t mSemaphore;
  char mName[32];
  bool mIsInitialised;
  volatile bool mIsLocked;
};
