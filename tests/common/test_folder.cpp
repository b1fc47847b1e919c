#include "test_folder.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define KX_TEST_GETPID _getpid
#else
#include <unistd.h>
#define KX_TEST_GETPID getpid
#endif

namespace fs = std::filesystem;

namespace kxtest {

std::string makeTempDir(const std::string& tag) {
  static std::atomic<int> counter{0};
  // Test programs run in parallel: the process id keeps their folders apart.
  const auto stamp = std::to_string(KX_TEST_GETPID()) + "_" + std::to_string(counter++);
  fs::path dir = fs::temp_directory_path() / ("kx_" + tag + "_" + stamp);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.make_preferred().string();
}

void removeTree(const std::string& path) {
  std::error_code ignored;
  fs::remove_all(path, ignored);
#ifndef _WIN32
  // The product joins paths with '\\': natively "dir\\name" is a file beside dir, not in it.
  const fs::path dir(path);
  const std::string prefix = dir.filename().string() + "\\";
  std::vector<fs::path> beside;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.parent_path(), ignored)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) beside.push_back(entry.path());
  }
  for (const fs::path& entry : beside) fs::remove_all(entry, ignored);
#endif
}

std::string readBinary(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace kxtest
