#include "journal.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <share.h>
#endif

Journal::Journal() : mStart(std::chrono::steady_clock::now()) {}

Journal::~Journal() {
  if (mFile) std::fclose(mFile);
}

bool Journal::open(const std::string& path, std::string& error) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mFile) std::fclose(mFile);
  mFile = nullptr;
  mPath = path;
  if (path.empty()) return true;
#ifdef _WIN32
  // Tests and the scenario runner read the journal while the daemon writes it.
  mFile = _fsopen(path.c_str(), "wb", _SH_DENYNO);
#else
  mFile = std::fopen(path.c_str(), "wb");
#endif
  if (!mFile) {
    error = path + ": cannot write the journal (" + std::strerror(errno) + ")";
    return false;
  }
  return true;
}

void Journal::write(const JsonLine& line) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mFile) return;
  long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - mStart)
                     .count();
  // The time first, as in the host's journal.
  std::string text = "{\"t\":" + std::to_string(ms) + "," + line.str().substr(1);
  text += "\n";
  std::fwrite(text.data(), 1, text.size(), mFile);
  std::fflush(mFile);
}
