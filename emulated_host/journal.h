// The host's journal: JSON Lines, one event per line, written as it happens and kept in memory
// so scenario conditions can look at it without re-reading the file.
#ifndef KX_EMULATED_HOST_JOURNAL_H
#define KX_EMULATED_HOST_JOURNAL_H

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "json_line.h"

class Journal {
 public:
  Journal() = default;
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // An empty path keeps the journal in memory only.
  bool open(const std::string& path, std::string* error);
  const std::string& path() const { return mPath; }

  void write(const JsonLine& event);
  // A fault is something the real host would not tolerate; any fault fails the run.
  void fault(const std::string& what, const std::string& detail);
  int faultCount() const;

  size_t lineCount() const;
  std::vector<std::string> linesFrom(size_t first) const;

  static long long nowMs();

 private:
  mutable std::mutex mLock;
  std::FILE* mFile = nullptr;
  std::string mPath;
  std::vector<std::string> mLines;
  int mFaults = 0;
};

#endif
