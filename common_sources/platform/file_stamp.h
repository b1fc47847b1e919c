// A file's stamp as the platform gives it, to the finest time it keeps: two saves of the same size
// within one second must still differ.
#pragma once

#include <cstdint>
#include <string>

struct FileStamp {
  bool mIsPresent = false;
  int64_t mTime = 0;
  uint64_t mSize = 0;
  bool operator==(const FileStamp& other) const {
    return mIsPresent == other.mIsPresent && mTime == other.mTime && mSize == other.mSize;
  }
};

// Not present when the file cannot be looked at.
FileStamp fileStamp(const std::string& path);
