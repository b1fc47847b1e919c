#include "dll_log.h"

#include <cstdio>
#include <ctime>

DllLog& DllLog::instance() {
  static DllLog log;
  return log;
}

int32_t DllLog::configure(const char* fileName, int32_t maxSizeKb, bool toFile, bool toConsole,
                          const bool categories[kCount], const char* fileToLog) {
  (void)fileToLog;  // the library has a single source file worth filtering: nothing to filter
  if (maxSizeKb < 0) return 1;
  if (toFile && (fileName == nullptr || fileName[0] == '\0')) return 1;
  std::lock_guard<std::mutex> lock(mMutex);
  mFileName = fileName ? fileName : "";
  mMaxBytes = int64_t(maxSizeKb) * 1024;
  mIsToFile = toFile;
  mIsToConsole = toConsole;
  for (int i = 0; i < kCount; ++i) mCategories[i] = categories[i];
  return 0;
}

bool DllLog::isOn(Category category) {
  std::lock_guard<std::mutex> lock(mMutex);
  return (mIsToFile || mIsToConsole) && mCategories[category];
}

void DllLog::write(Category category, const std::string& text) {
  static const char* const kNames[kCount] = {"WRN", "CRT", "TRC", "DCM",
                                             "ICM", "INF", "DBG", "TMP"};
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mCategories[category] || (!mIsToFile && !mIsToConsole)) return;
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  std::string line = std::string(stamp) + " " + kNames[category] + " " + text + "\n";
  if (mIsToConsole) std::fputs(line.c_str(), stdout);
  if (!mIsToFile) return;
  FILE* file = std::fopen(mFileName.c_str(), "ab");
  if (!file) return;
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  if (mMaxBytes > 0 && size >= mMaxBytes) {
    std::fclose(file);
    std::string backup = mFileName + ".bak";
    std::remove(backup.c_str());
    std::rename(mFileName.c_str(), backup.c_str());
    file = std::fopen(mFileName.c_str(), "ab");
    if (!file) return;
  }
  std::fputs(line.c_str(), file);
  std::fclose(file);
}
