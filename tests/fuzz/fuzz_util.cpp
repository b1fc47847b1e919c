#include "fuzz_util.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "test_folder.h"

namespace kxfuzz {

namespace {

struct WorkDir {
  WorkDir() : path(kxtest::makeTempDir("fuzz")) {}
  ~WorkDir() { kxtest::removeTree(path); }
  std::string path;
};

}  // namespace

const std::string& workDir() {
  static WorkDir dir;
  return dir.path;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) fail("cannot write " + path);
}

void fail(const std::string& message) {
  std::fprintf(stderr, "FUZZ FINDING: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace kxfuzz
