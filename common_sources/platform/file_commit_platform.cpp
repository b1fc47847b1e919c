// The platform's calls behind FileCommit.
#include <cstdio>

#include "file_commit.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

namespace {
bool syncToDisk(FILE* file) { return _commit(_fileno(file)) == 0; }

bool moveInOneStep(const char* from, const char* to, bool isReplacing) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (isReplacing ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExA(from, to, flags) != 0;
}
}  // namespace
#else
#include <unistd.h>

namespace {
bool syncToDisk(FILE* file) { return fsync(fileno(file)) == 0; }

// A hard link fails when `to` exists, which rename would replace.
bool moveInOneStep(const char* from, const char* to, bool isReplacing) {
  if (isReplacing) return std::rename(from, to) == 0;
  if (link(from, to) != 0) return false;
  unlink(from);
  return true;
}
}  // namespace
#endif

namespace {
void* openFile(const char* path, bool isText) { return std::fopen(path, isText ? "w" : "wb"); }

size_t writeFile(void* file, const char* data, size_t size) {
  return std::fwrite(data, 1, size, static_cast<FILE*>(file));
}

bool flushFile(void* file) {
  return std::fflush(static_cast<FILE*>(file)) == 0 && syncToDisk(static_cast<FILE*>(file));
}

bool closeFile(void* file) { return std::fclose(static_cast<FILE*>(file)) == 0; }

void removeFile(const char* path) { std::remove(path); }
}  // namespace

const FileCommitCalls FileCommit::kPlatformCalls = {openFile,  writeFile,     flushFile,
                                                    closeFile, moveInOneStep, removeFile};
