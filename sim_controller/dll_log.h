// The client library's own log, set up by kxSetDllLogFlags. Off until configured; with every
// output off it never touches the file system.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class DllLog {
 public:
  enum Category { kWarning, kCreation, kTrace, kDevCom, kIntCom, kInfo, kDebug, kTmp, kCount };

  static DllLog& instance();
  // Returns 0, or non-zero for an unusable combination (file output without a file name, a
  // negative size).
  int32_t configure(const char* fileName, int32_t maxSizeKb, bool toFile, bool toConsole,
                    const bool categories[kCount], const char* fileToLog);
  bool isOn(Category category);
  void write(Category category, const std::string& text);

 private:
  DllLog() = default;
  std::mutex mMutex;
  std::string mFileName;
  int64_t mMaxBytes = 0;
  bool mIsToFile = false;
  bool mIsToConsole = false;
  bool mCategories[kCount] = {};
};
