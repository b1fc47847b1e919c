// The catalogue build when memory runs out: one allocation on the test's thread fails, the build
// logs where and goes on or gives up as its callers expect.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>

#include "config_test_util.h"
#include "logging.h"
#include "mnu_parser.h"

namespace {

// 0: every allocation succeeds; n: the n-th allocation from now on this thread fails.
thread_local int tFailingAllocation = 0;

}  // namespace

// The library's operator delete frees with free(), so only allocation is replaced.
void* operator new(std::size_t size) {
  if (tFailingAllocation > 0 && --tFailingAllocation == 0) throw std::bad_alloc();
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  return p;
}

namespace {

const std::string kResources = kxtest::wineZPath(KX_BUILD_DIR) + "\\text\\compiled_resource";

MNUCommand record(const std::string& key, const std::string& label) {
  MNUCommand c;
  c.key = key;
  c.label = label;
  return c;
}

std::string keysAndLabels(const std::vector<MNUCommand>& list) {
  std::string out;
  for (const MNUCommand& c : list) out += c.key + "=" + c.label + ";";
  return out;
}

class OutOfMemory : public kxtest::LogTest {
 protected:
  void SetUp() override { logToConsole({}); }
  void TearDown() override { tFailingAllocation = 0; }

  // Whether an ERR line ends with exactly this text.
  bool hasErr(const std::string& text) const {
    const std::string line = consoleLine("| " + text);
    return line.find("|ERR|") != std::string::npos && line.size() >= text.size() &&
           line.compare(line.size() - text.size(), text.size(), text) == 0;
  }
};

TEST_F(OutOfMemory, UpperCaseCopyOfTheKey) {
  MNUParser parser;
  parser.AddPane("A", "ProCmdAlphaWithALongName");
  MNUCommand command = record("ProCmdAlphaWithALongName", "Alpha");
  tFailingAllocation = 1;
  EXPECT_TRUE(parser.AddCommand(std::move(command)));
  EXPECT_EQ(tFailingAllocation, 0);
  EXPECT_TRUE(hasErr("Error AddCommand() 1")) << console();
  EXPECT_TRUE(parser.mPaneCommands.empty());
  // The parser stays usable.
  EXPECT_TRUE(parser.AddCommand(record("ProCmdAlphaWithALongName", "Alpha")));
  EXPECT_EQ(keysAndLabels(parser.mPaneCommands["A"]), "ProCmdAlphaWithALongName=Alpha;");
}

TEST_F(OutOfMemory, OnePaneListCannotGrowTheNextStillGetsTheRecord) {
  MNUParser parser;
  parser.AddPane("A", "ProCmdAlpha");
  parser.AddPane("B", "ProCmdAlpha");
  EXPECT_TRUE(parser.AddCommand(record("PROCMDALPHA", "First")));
  MNUCommand command = record("PROCMDALPHA", "Second");
  // Only pane A's list grows by a fresh allocation first; B's is the next.
  tFailingAllocation = 1;
  EXPECT_TRUE(parser.AddCommand(std::move(command)));
  EXPECT_EQ(tFailingAllocation, 0);
  EXPECT_TRUE(hasErr("Error AddCommand() 2")) << console();
  EXPECT_EQ(console().find("Error AddCommand() 1"), std::string::npos) << console();
  EXPECT_EQ(keysAndLabels(parser.mPaneCommands["A"]), "PROCMDALPHA=First;");
  EXPECT_EQ(keysAndLabels(parser.mPaneCommands["B"]), "PROCMDALPHA=First;PROCMDALPHA=Second;");
}

TEST_F(OutOfMemory, BuildAndWriteGiveUpWithoutAFile) {
  struct Row {
    bool writeOnly;  // WriteMNUFile alone, else the whole CreateMNU
    const char* error;
  } rows[] = {{false, "Error CreateMNU()"}, {true, "Error WriteMNUFile()"}};
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    clearConsole();
    const std::string menu = mDir + "\\Creo_" + std::to_string(i) + ".mnu";
    std::string path = menu;
    std::string dir = kResources;
    std::string language = "german";
    std::atomic<double> progress{0.0};
    MNUParser parser;
    parser.AddPane("A", "ProCmdAlpha");
    parser.AddCommand(record("PROCMDALPHA", "Alpha"));
    // The arguments are moved in, so the first allocation is the function's own.
    tFailingAllocation = 1;
    const bool result = rows[i].writeOnly ? parser.WriteMNUFile(std::move(path))
                                          : parser.CreateMNU(std::move(path), std::move(dir),
                                                             std::move(language), &progress);
    EXPECT_FALSE(result) << "row " << i;
    EXPECT_EQ(tFailingAllocation, 0) << "row " << i;
    EXPECT_TRUE(hasErr(rows[i].error)) << "row " << i << ": " << console();
    EXPECT_FALSE(kxtest::fileExists(menu)) << "row " << i;
  }
}

}  // namespace
