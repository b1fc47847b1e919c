// A journal file of JSON Lines: truncated when opened, one event per line stamped with "t" before
// "ev", flushed per line so readers see it while it is written and a crash loses nothing.
#ifndef KX_STAND_IN_JOURNAL_FILE_H
#define KX_STAND_IN_JOURNAL_FILE_H

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "json_line.h"

class JournalFile {
 public:
  // The host stamps milliseconds since 1970, the daemon milliseconds since it started.
  enum class Clock { kSince1970, kSinceStart };

  explicit JournalFile(Clock clock);
  ~JournalFile();
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // An empty path writes no file.
  bool open(const std::string& path, std::string* error);
  const std::string& path() const { return mPath; }

  // Returns the line as written, without its line end.
  std::string write(const JsonLine& event);

 private:
  long long nowMs() const;

  const Clock mClock;
  const std::chrono::steady_clock::time_point mStart;
  std::mutex mLock;
  std::FILE* mFile = nullptr;
  std::string mPath;
};

#endif
