// The host's journal: written to its file as it happens and kept in memory so scenario conditions
// can look at it without re-reading the file; it also counts the plug-in's faults.
#ifndef KX_EMULATED_HOST_HOST_JOURNAL_H
#define KX_EMULATED_HOST_HOST_JOURNAL_H

#include <mutex>
#include <string>
#include <vector>

#include "journal_file.h"

class HostJournal {
 public:
  HostJournal() = default;
  HostJournal(const HostJournal&) = delete;
  HostJournal& operator=(const HostJournal&) = delete;

  // An empty path keeps the journal in memory only.
  bool open(const std::string& path, std::string* error) { return mFile.open(path, error); }
  const std::string& path() const { return mFile.path(); }

  void write(const JsonLine& event);
  // A fault is something the real host would not tolerate; any fault fails the run.
  void fault(const std::string& what, const std::string& detail);
  int faultCount() const;

  size_t lineCount() const;
  std::vector<std::string> linesFrom(size_t first) const;

 private:
  mutable std::mutex mLock;
  JournalFile mFile{JournalFile::Clock::kSince1970};
  std::vector<std::string> mLines;
  int mFaults = 0;
};

#endif
