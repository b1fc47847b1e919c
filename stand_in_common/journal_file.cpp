#include "journal_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <share.h>
#endif

JournalFile::JournalFile(Clock clock) : mClock(clock), mStart(std::chrono::steady_clock::now()) {}

JournalFile::~JournalFile() {
  if (mFile) std::fclose(mFile);
}

long long JournalFile::nowMs() const {
  using namespace std::chrono;
  if (mClock == Clock::kSinceStart)
    return duration_cast<milliseconds>(steady_clock::now() - mStart).count();
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

bool JournalFile::open(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> guard(mLock);
  if (mFile) std::fclose(mFile);
  mFile = nullptr;
  mPath = path;
  if (path.empty()) return true;
#ifdef _WIN32
  // Tests and scenario conditions read the journal while it is written.
  mFile = _fsopen(path.c_str(), "wb", _SH_DENYNO);
#else
  mFile = std::fopen(path.c_str(), "wb");
#endif
  if (!mFile) {
    *error = "cannot write the journal '" + path + "' (" + std::strerror(errno) + ")";
    return false;
  }
  return true;
}

std::string JournalFile::write(const JsonLine& event) {
  std::lock_guard<std::mutex> guard(mLock);
  // Stamped under the lock so the times in the file never go backwards.
  std::string line = event.text(nowMs());
  if (mFile) {
    std::fputs(line.c_str(), mFile);
    std::fputc('\n', mFile);
    std::fflush(mFile);
  }
  return line;
}
