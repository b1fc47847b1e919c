// Writing a file whole or not at all: every cut over a disk in memory, then the platform's own
// calls with each step failing.
#include "file_commit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "config_test_util.h"
#include "failing_file_calls.h"

namespace {

class FileCommitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mDir = kxtest::makeTempDir("file_commit");
    mPath = mDir + "/target.txt";
    mTemp = FileCommit::tempPath(mPath);
  }
  void TearDown() override { kxtest::removeTree(mDir); }

  std::string mDir;
  std::string mPath;
  std::string mTemp;
};

// The platform's calls over a disk in memory whose write stops after a budget of bytes: every cut
// of every write is cheap to try.
struct MemoryDisk {
  static void* open(const char* path, bool) {
    sFiles[path].clear();
    return new std::string(path);
  }
  static size_t write(void* file, const char* data, size_t size) {
    const size_t taken = std::min(size, sBudget);
    sBudget -= taken;
    sFiles[*static_cast<std::string*>(file)].append(data, taken);
    return taken;
  }
  static bool flush(void*) { return true; }
  static bool close(void* file) {
    delete static_cast<std::string*>(file);
    return true;
  }
  static bool move(const char* from, const char* to, bool isReplacing) {
    if (sFiles.count(from) == 0 || (!isReplacing && sFiles.count(to) != 0)) return false;
    sFiles[to] = sFiles[from];
    sFiles.erase(from);
    return true;
  }
  static void remove(const char* path) { sFiles.erase(path); }

  static inline std::map<std::string, std::string> sFiles;
  static inline size_t sBudget = 0;
};

// Cut after every number of bytes, at a few sizes: the disk holds the old file (or none) and
// nothing else, never a part of the new one.
TEST(FileCommitCutTest, EveryCutLeavesTheOldFileOrNone) {
  FileCommit::sCalls = {MemoryDisk::open,  MemoryDisk::write, MemoryDisk::flush,
                        MemoryDisk::close, MemoryDisk::move,  MemoryDisk::remove};
  // Whether an old file is there, and the mode.
  const std::pair<bool, FileCommit::Mode> kinds[] = {{true, FileCommit::kReplace},
                                                     {false, FileCommit::kReplace},
                                                     {false, FileCommit::kKeepExisting}};
  for (const size_t size : {size_t{1}, size_t{2}, size_t{100}, size_t{4096}}) {
    std::string bytes(size, 'x');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    for (size_t kind = 0; kind < std::size(kinds); ++kind) {
      std::map<std::string, std::string> before;
      if (kinds[kind].first) before["f"] = "old";
      for (size_t cut = 0; cut <= size; ++cut) {
        MemoryDisk::sFiles = before;
        MemoryDisk::sBudget = cut;
        const char* failed = FileCommit::write("f", bytes, false, kinds[kind].second);
        std::map<std::string, std::string> expected = before;
        if (cut == size) expected["f"] = bytes;
        ASSERT_EQ(failed == nullptr, cut == size)
            << "size " << size << ", kind " << kind << ", cut " << cut;
        ASSERT_EQ(MemoryDisk::sFiles, expected)
            << "size " << size << ", kind " << kind << ", cut " << cut;
      }
    }
  }
  FileCommit::sCalls = FileCommit::kPlatformCalls;
}

TEST_F(FileCommitTest, AFailedStepLeavesThePathAsItWas) {
  const char* const steps[] = {"write", "flush", "close", "move"};
  for (size_t row = 0; row < std::size(steps); ++row) {
    for (const bool hasOld : {false, true}) {
      if (hasOld) kxtest::writeBinary(mPath, "old bytes");
      kxtest::FailingFileCalls failing(steps[row], 3);
      const char* failed = FileCommit::write(mPath, "new bytes", false, FileCommit::kReplace);
      ASSERT_NE(failed, nullptr) << "row " << row;
      EXPECT_STREQ(failed, steps[row]) << "row " << row;
      EXPECT_EQ(kxtest::readBinary(mPath), hasOld ? "old bytes" : "") << "row " << row;
      EXPECT_EQ(kxtest::fileExists(mPath), hasOld) << "row " << row;
      EXPECT_FALSE(kxtest::fileExists(mTemp)) << "row " << row;
      kxtest::removeTree(mPath);
    }
  }
  // A temporary file that cannot be opened (here: its folder is missing) is the first step.
  const std::string absent = mDir + "/absent/target.txt";
  EXPECT_STREQ(FileCommit::write(absent, "bytes", false, FileCommit::kReplace), "open");
  EXPECT_FALSE(kxtest::fileExists(absent));
}

TEST_F(FileCommitTest, ReplacesOrKeepsAnExistingFileAndIgnoresAStaleTemporaryFile) {
  // The mode, whether the file exists before, the result and the bytes found after.
  struct Row {
    FileCommit::Mode mode;
    bool hasOld;
    const char* failed;
    const char* bytes;
  };
  const Row rows[] = {{FileCommit::kReplace, false, nullptr, "new"},
                      {FileCommit::kReplace, true, nullptr, "new"},
                      {FileCommit::kKeepExisting, false, nullptr, "new"},
                      {FileCommit::kKeepExisting, true, "move", "old"}};
  for (size_t row = 0; row < std::size(rows); ++row) {
    kxtest::removeTree(mPath);
    if (rows[row].hasOld) kxtest::writeBinary(mPath, "old");
    // What a crash left, longer than the new bytes.
    kxtest::writeBinary(mTemp, "stale bytes of a crashed write");
    const char* failed = FileCommit::write(mPath, "new", false, rows[row].mode);
    EXPECT_STREQ(failed != nullptr ? failed : "none", rows[row].failed ? rows[row].failed : "none")
        << "row " << row;
    EXPECT_EQ(kxtest::readBinary(mPath), rows[row].bytes) << "row " << row;
    EXPECT_FALSE(kxtest::fileExists(mTemp)) << "row " << row;
  }
}

TEST_F(FileCommitTest, TextModeWritesThePlatformsLineEnds) {
  ASSERT_EQ(FileCommit::write(mPath, "a\nb\n", true, FileCommit::kReplace), nullptr);
  EXPECT_EQ(kxtest::readBinary(mPath), kxtest::textModeBytes("a\nb\n"));
}

}  // namespace
