#include "file_commit.h"

FileCommitCalls FileCommit::sCalls = FileCommit::kPlatformCalls;

const char* FileCommit::write(const std::string& path, std::string_view bytes, bool isText,
                              Mode mode) {
  const std::string temp = tempPath(path);
  void* file = sCalls.open(temp.c_str(), isText);
  if (file == nullptr) return "open";
  const char* failed = nullptr;
  if (sCalls.write(file, bytes.data(), bytes.size()) != bytes.size()) failed = "write";
  if (failed == nullptr && !sCalls.flush(file)) failed = "flush";
  // Closed in any case, so the temporary file can be removed.
  if (!sCalls.close(file) && failed == nullptr) failed = "close";
  if (failed == nullptr && !sCalls.move(temp.c_str(), path.c_str(), mode == kReplace))
    failed = "move";
  if (failed != nullptr) sCalls.remove(temp.c_str());
  return failed;
}
