#include "journal/host_journal.h"

void HostJournal::write(const JsonLine& event) {
  // One lock over file and memory keeps both in the same order.
  std::lock_guard<std::mutex> guard(mLock);
  mLines.push_back(mFile.write(event));
  if (event.kind() == "fault") ++mFaults;
}

void HostJournal::fault(const std::string& what, const std::string& detail) {
  write(JsonLine("fault").str("what", what).str("detail", detail));
}

int HostJournal::faultCount() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mFaults;
}

size_t HostJournal::lineCount() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mLines.size();
}

std::vector<std::string> HostJournal::linesFrom(size_t first) const {
  std::lock_guard<std::mutex> guard(mLock);
  if (first >= mLines.size()) return {};
  return std::vector<std::string>(mLines.begin() + first, mLines.end());
}
