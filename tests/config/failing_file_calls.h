// FileCommit's platform calls with one step failing: the write after a budget of bytes (as on a
// full disk, the bytes before the cut do reach the file), or the flush, close or move outright.
// The real calls are back when the object goes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#include "file_commit.h"

namespace kxtest {

class FailingFileCalls {
 public:
  // `step` is "write", "flush", "close" or "move"; the budget counts the bytes handed to the write.
  explicit FailingFileCalls(const char* step,
                            size_t writeBudget = std::numeric_limits<size_t>::max()) {
    sStep = step;
    sBudget = std::strcmp(step, "write") == 0 ? writeBudget : std::numeric_limits<size_t>::max();
    FileCommitCalls calls = FileCommit::kPlatformCalls;
    calls.write = [](void* file, const char* data, size_t size) {
      const size_t taken = std::min(size, sBudget);
      sBudget -= taken;
      return FileCommit::kPlatformCalls.write(file, data, taken);
    };
    calls.flush = [](void* file) { return !is("flush") && FileCommit::kPlatformCalls.flush(file); };
    calls.close = [](void* file) {
      // The file is closed either way, as a failing close still lets go of it.
      const bool closed = FileCommit::kPlatformCalls.close(file);
      return closed && !is("close");
    };
    calls.move = [](const char* from, const char* to, bool isReplacing) {
      return !is("move") && FileCommit::kPlatformCalls.move(from, to, isReplacing);
    };
    FileCommit::sCalls = calls;
  }
  ~FailingFileCalls() { FileCommit::sCalls = FileCommit::kPlatformCalls; }
  FailingFileCalls(const FailingFileCalls&) = delete;
  FailingFileCalls& operator=(const FailingFileCalls&) = delete;

 private:
  static bool is(const char* step) { return std::strcmp(sStep, step) == 0; }
  static inline const char* sStep = "";
  static inline size_t sBudget = 0;
};

}  // namespace kxtest
