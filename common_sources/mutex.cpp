#include "mutex.h"

#include <errno.h>
#include <pthread.h>

#include <cstring>

#include "thread_id.h"

FILE* Mutex::sOutStream = nullptr;
FILE* Mutex::sErrStream = nullptr;

namespace {

FILE* outStream() { return Mutex::sOutStream ? Mutex::sOutStream : stdout; }
FILE* errStream() { return Mutex::sErrStream ? Mutex::sErrStream : stderr; }

void reportError(FILE* stream, const char* head, int errorNumber) {
  std::fprintf(stream, "%serrno = %d, error: %s\n", head, errorNumber, std::strerror(errorNumber));
  std::fflush(stream);
}

}  // namespace

Mutex::Mutex(const char* name) : mName{}, mIsInitialised(false), mIsLocked(false) {
  std::strncpy(mName, name ? name : "", sizeof(mName) - 1);
  if (sem_init(&mSemaphore, 0, 1) == 0) {
    mIsInitialised = true;
    return;
  }
  const int errorNumber = errno;
  char head[160];
  std::snprintf(head, sizeof(head),
                "Mutex::Mutex(): **** Error initializing semaphore by thread %lu! **** ",
                currentThreadId());
  reportError(outStream(), head, errorNumber);
}

Mutex::~Mutex() {
  // A semaphore that was never created is not destroyed.
  if (!mIsInitialised || sem_destroy(&mSemaphore) == 0) return;
  const int errorNumber = errno;
  char head[200];
  std::snprintf(head, sizeof(head),
                "Mutex::~Mutex(): Semaphore '%s' (OS X ID not available) of thread %lu could not "
                "be destroyed!",
                mName, currentThreadId());
  reportError(outStream(), head, errorNumber);
}

int Mutex::lock() {
  mIsLocked = true;
  const int result = sem_wait(&mSemaphore);
  if (result == 0) return 0;
  const int errorNumber = errno;
  char head[200];
  std::snprintf(head, sizeof(head),
                "Mutex::lock(): **** Error locking semaphore '%s' by thread %lu! **** ", mName,
                currentThreadId());
  reportError(outStream(), head, errorNumber);
  return result;
}

int Mutex::unlock() {
  const int result = sem_post(&mSemaphore);
  if (result == 0) {
    mIsLocked = false;
    return 0;
  }
  const int errorNumber = errno;
  char head[200];
  std::snprintf(head, sizeof(head),
                "Mutex::unlock(): **** Error unlocking semaphore '%s' by thread %lu'! **** ", mName,
                currentThreadId());
  reportError(errStream(), head, errorNumber);
  mIsLocked = false;
  return result;
}
