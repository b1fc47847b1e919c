#include "log_file.h"

#ifdef _WIN32
#include <windows.h>

namespace {
HANDLE raw(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

bool LogFile::open(const std::string& path) {
  close();
  // Appending only: no write can land anywhere but at the end. The sharing is the C library's, so
  // another session can write the file too, but cannot move it away while it is open here.
  const HANDLE file =
      CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  mHandle = reinterpret_cast<intptr_t>(file);
  mIsGood = true;
  return true;
}

void LogFile::close() {
  if (!isOpen()) return;
  CloseHandle(raw(mHandle));
  mHandle = kClosed;
}

long long LogFile::size() const {
  LARGE_INTEGER size;
  if (!isOpen() || !GetFileSizeEx(raw(mHandle), &size)) return -1;
  return size.QuadPart;
}

size_t LogFile::write(std::string_view text) {
  if (!isGood()) return 0;
  mBytes.clear();
  for (const char c : text) {
    if (c == '\n') mBytes += '\r';
    mBytes += c;
  }
  DWORD written = 0;
  if (!WriteFile(raw(mHandle), mBytes.data(), static_cast<DWORD>(mBytes.size()), &written,
                 nullptr) ||
      written != mBytes.size()) {
    mIsGood = false;
  }
  return written;
}

#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

bool LogFile::open(const std::string& path) {
  close();
  const int file = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) return false;
  mHandle = file;
  mIsGood = true;
  return true;
}

void LogFile::close() {
  if (!isOpen()) return;
  ::close(static_cast<int>(mHandle));
  mHandle = kClosed;
}

long long LogFile::size() const {
  struct stat status;
  if (!isOpen() || fstat(static_cast<int>(mHandle), &status) != 0) return -1;
  return status.st_size;
}

size_t LogFile::write(std::string_view text) {
  if (!isGood()) return 0;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(static_cast<int>(mHandle), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      mIsGood = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  return done;
}
#endif

LogFile::~LogFile() { close(); }
