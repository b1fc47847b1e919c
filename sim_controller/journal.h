// The daemon's journal: JSON Lines, one object per line, each starting with "t" (milliseconds since
// the daemon started) and "ev" (the kind of entry). Flushed per line so readers see it at once.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "json_line.h"

class Journal {
 public:
  Journal();
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Truncates the file. An empty path keeps the journal off.
  bool open(const std::string& path, std::string& error);
  void write(const JsonLine& line);
  const std::string& path() const { return mPath; }

 private:
  std::mutex mMutex;
  FILE* mFile = nullptr;
  std::string mPath;
  std::chrono::steady_clock::time_point mStart;
};
