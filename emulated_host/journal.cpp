#include "journal.h"

#include <chrono>

Journal::~Journal() {
  if (mFile) std::fclose(mFile);
}

long long Journal::nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

bool Journal::open(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> guard(mLock);
  mPath = path;
  if (path.empty()) return true;
  mFile = std::fopen(path.c_str(), "wb");
  if (!mFile) {
    *error = "cannot write journal '" + path + "'";
    return false;
  }
  return true;
}

void Journal::write(const JsonLine& event) {
  std::string line = event.text(nowMs());
  std::lock_guard<std::mutex> guard(mLock);
  if (event.kind() == "fault") ++mFaults;
  mLines.push_back(line);
  if (mFile) {
    std::fputs(line.c_str(), mFile);
    std::fputc('\n', mFile);
    // Flushed per event: a crashing plug-in must not take the journal with it.
    std::fflush(mFile);
  }
}

void Journal::fault(const std::string& what, const std::string& detail) {
  write(JsonLine("fault").str("what", what).str("detail", detail));
}

int Journal::faultCount() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mFaults;
}

size_t Journal::lineCount() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mLines.size();
}

std::vector<std::string> Journal::linesFrom(size_t first) const {
  std::lock_guard<std::mutex> guard(mLock);
  if (first >= mLines.size()) return {};
  return std::vector<std::string>(mLines.begin() + first, mLines.end());
}
