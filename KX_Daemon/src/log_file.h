// The log's file, opened for appending: every write lands at the file's end in one piece, so two
// processes sharing one log file keep each other's lines whole. Lines are written as the C
// library's text mode writes them: on Windows each "\n" reaches the file as "\r\n". On Windows the
// file is a handle opened for appending only, which the system moves to the end itself; a stream
// opened "a" asks for the end before every write, which under Wine costs more than the write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class LogFile {
 public:
  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Opens the file, creating it when missing; false when it cannot be opened.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return mHandle != kClosed; }
  // False once a write failed: like a failed stream, the file then takes nothing until it is opened
  // again.
  bool isGood() const { return isOpen() && mIsGood; }
  // The file's size now; -1 when it cannot be told.
  long long size() const;
  // The bytes that reached the file (line ends counted as written).
  size_t write(std::string_view text);

 private:
  static constexpr intptr_t kClosed = -1;
  intptr_t mHandle = kClosed;
  bool mIsGood = false;
  // The text with its line ends as they go to the file; kept to save an allocation per entry.
  std::string mBytes;
};
