#include "mutex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

class MutexTestAccess {
 public:
  // An emptied handle makes every semaphore call fail with EINVAL; the real one is kept aside.
  static sem_t breakSemaphore(Mutex& mutex) {
    sem_t saved = mutex.mSemaphore;
    std::memset(&mutex.mSemaphore, 0, sizeof(mutex.mSemaphore));
    return saved;
  }
  static void restoreSemaphore(Mutex& mutex, sem_t saved) { mutex.mSemaphore = saved; }
  // As if sem_init had failed: the handle is unusable and the flag clear.
  static sem_t failInitialisation(Mutex& mutex) {
    mutex.mIsInitialised = false;
    return breakSemaphore(mutex);
  }
};

namespace {

// winpthreads checks the semaphore's handle; glibc takes an emptied semaphore for a valid one
// with count 0, on which lock() would wait for ever, so the failures are provoked on Windows only.
#ifdef _WIN32
std::string readAll(FILE* file) {
  std::fflush(file);
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(&text[0], 1, text.size(), file));
  return text;
}
#endif

TEST(MutexTest, SerialisesTwoThreads) {
  Mutex mutex("serialise");
  ASSERT_TRUE(mutex.isInitialised());
  long counter = 0;
  int inside = 0;
  bool isOverlapSeen = false;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      ASSERT_EQ(mutex.lock(), 0);
      if (++inside != 1) isOverlapSeen = true;
      const long read = counter;
      if (i % 1000 == 0) std::this_thread::yield();
      counter = read + 1;
      --inside;
      ASSERT_EQ(mutex.unlock(), 0);
    }
  };
  std::thread first(work);
  std::thread second(work);
  first.join();
  second.join();
  EXPECT_EQ(counter, 40000);
  EXPECT_FALSE(isOverlapSeen);
  EXPECT_FALSE(mutex.isLocked());
}

#ifdef _WIN32
TEST(MutexTest, FailuresAreReportedOnTheirStreamAndReturned) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  ASSERT_TRUE(out && err);
  Mutex::sOutStream = out;
  Mutex::sErrStream = err;
  {
    Mutex mutex("Logging_42");
    const sem_t saved = MutexTestAccess::breakSemaphore(mutex);
    const int lockResult = mutex.lock();
    const int unlockResult = mutex.unlock();
    MutexTestAccess::restoreSemaphore(mutex, saved);
    EXPECT_NE(lockResult, 0);
    EXPECT_NE(unlockResult, 0);
  }
  Mutex::sOutStream = nullptr;
  Mutex::sErrStream = nullptr;

  const std::string outText = readAll(out);
  const std::string errText = readAll(err);
  std::fclose(out);
  std::fclose(err);
  const struct {
    const std::string* mStream;
    const char* mStreamName;
    const char* mPiece;
  } rows[] = {
      {&outText, "stdout", "Mutex::lock(): **** Error locking semaphore 'Logging_42' by thread "},
      {&outText, "stdout", "! **** errno = "},
      {&errText, "stderr",
       "Mutex::unlock(): **** Error unlocking semaphore 'Logging_42' by thread "},
      {&errText, "stderr", "'! **** errno = "},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_NE(rows[row].mStream->find(rows[row].mPiece), std::string::npos)
        << "row " << row << ": " << rows[row].mStreamName << " was '" << *rows[row].mStream << "'";
  }
  EXPECT_EQ(outText.find("unlock"), std::string::npos) << "the unlock report belongs on stderr";
  EXPECT_EQ(errText.find("Mutex::lock()"), std::string::npos)
      << "the lock report belongs on stdout";
  EXPECT_EQ(std::count(errText.begin(), errText.end(), '\n'), 1) << errText;
  EXPECT_NE(errText.find(", error: "), std::string::npos) << errText;
}

TEST(MutexTest, SemaphoreThatWasNeverCreatedIsNotDestroyed) {
  FILE* out = std::tmpfile();
  ASSERT_TRUE(out);
  Mutex::sOutStream = out;
  sem_t real;
  {
    Mutex mutex("uninitialised");
    real = MutexTestAccess::failInitialisation(mutex);
  }
  Mutex::sOutStream = nullptr;
  sem_destroy(&real);
  const std::string outText = readAll(out);
  std::fclose(out);
  EXPECT_EQ(outText, "") << "destroying a semaphore that never existed was attempted";
}

#endif

}  // namespace
