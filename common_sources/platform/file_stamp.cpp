#include "file_stamp.h"

#ifdef _WIN32
#include <windows.h>

FileStamp fileStamp(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.mIsPresent = true;
  stamp.mTime =
      static_cast<int64_t>(static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                           data.ftLastWriteTime.dwLowDateTime);
  stamp.mSize = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return stamp;
}
#else
#include <filesystem>
#include <system_error>

FileStamp fileStamp(const std::string& path) {
  FileStamp stamp;
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return stamp;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return stamp;
  stamp.mIsPresent = true;
  stamp.mTime = static_cast<int64_t>(time.time_since_epoch().count());
  stamp.mSize = static_cast<uint64_t>(size);
  return stamp;
}
#endif
