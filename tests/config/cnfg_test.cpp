#include "cnfg.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "config_test_util.h"

namespace {

class CnfgTest : public ::testing::Test {
 protected:
  void SetUp() override { mDir = kxtest::makeTempDir("cnfg"); }
  void TearDown() override { kxtest::removeTree(mDir); }

  // Written in text mode, so every LF reaches the disk as CR LF on Windows.
  void open(Cnfg& cnfg, const std::string& text) {
    const std::string path = mDir + "\\f" + std::to_string(mFiles++) + ".ini";
    kxtest::writeBinary(path, kxtest::textModeBytes(text));
    ASSERT_EQ(cnfg.open(path), 0u) << path;
  }

  std::string mDir;
  int mFiles = 0;
};

TEST_F(CnfgTest, KeyLineFormsAndBlockEnds) {
  // The lines of the file after "[S]", the key looked up, the code and the value it gives.
  const std::tuple<const char*, const char*, uint32_t, const char*> rows[] = {
      {"key=value\n", "key", 0, "value"},
      {"key = value\n", "key", 0, "value"},
      {"key\tvalue\n", "key", 0, "value"},
      {"key\t= value\n", "key", 0, "value"},
      {"  key==value\n", "key", 0, "value"},
      {"name = a b  # note\n", "name", 0, "a b"},
      {"name =\n", "name", 0, ""},
      {"name\n", "name", 0, ""},
      {"my key = 1\n", "my key", 0, "1"},
      {"k =   spaced out \t \n", "k", 0, "spaced out"},
      {"mapkeyDefinition = ab#c\n", "mapkeyDefinition", 0, "ab"},
      {"k = a\rb\n", "k", 0, "a"},
      {"k = first\nk = second\n", "k", 0, "first"},
      {"a = 1\n# x\nk = v\n", "k", 0, "v"},
      {"a = 1\n # x\nk = v\n", "k", 3, ""},
      {"a = 1\n\nk = v\n", "k", 3, ""},
      {"a = 1\n   \nk = v\n", "k", 3, ""},
      {"a = 1\n= v\nk = v\n", "k", 3, ""},
      {"a = 1\n[PROGRAM\nk = v\n", "k", 3, ""},
      {"a = 1\n[T]\nk = v\n", "k", 3, ""},
      {"Name = x\n", "name", 3, ""},
      {"a = 1\nk = last", "k", 0, "last"},
      {"", "k", 3, ""},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto [body, key, code, expected] = rows[i];
    Cnfg cnfg;
    open(cnfg, std::string("[S]\n") + body);
    std::string value = "untouched";
    EXPECT_EQ(cnfg.getParameter(key, value, "S"), code) << "row " << i;
    if (code == 0) {
      EXPECT_EQ(value, expected) << "row " << i;
    }
  }
}

TEST_F(CnfgTest, SectionHeaders) {
  // File, section, code.
  const std::tuple<const char*, const char*, uint32_t> rows[] = {
      {"[PROGRAM] # main\nk = v\n", "PROGRAM", 0}, {"[ PROGRAM ]\nk = v\n", "PROGRAM", 2},
      {"[ PROGRAM ]\nk = v\n", " PROGRAM ", 0},    {"[PROGRAM\nk = v\n", "PROGRAM", 2},
      {"[program]\nk = v\n", "PROGRAM", 2},        {"  [PROGRAM]\nk = v\n", "PROGRAM", 0},
      {"x = 1\n[PROGRAM]", "PROGRAM", 0},          {"[A]\nk = v\n", "PROGRAM", 2},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto [file, section, code] = rows[i];
    Cnfg cnfg;
    open(cnfg, file);
    EXPECT_EQ(cnfg.findSection(section), code) << "row " << i;
  }
}

// Lookups one after the other on one reader: each section name searches from the top and the first
// of two equal sections wins, an empty one goes on from where the last lookup ended, a walk ends at
// the block's end, and no failure leaves the reader unusable.
TEST_F(CnfgTest, LookupSequences) {
  struct Step {
    const char* section;  // null: getNextParameter
    const char* key;      // null: findSection; for getNextParameter the name it gives ("-": none)
    uint32_t code;
    const char* value;  // compared on success, and always for getNextParameter
  };
  struct Sequence {
    const char* file;
    std::vector<Step> steps;
  };
  const std::vector<Sequence> sequences = {
      {"[S]\na = 1\nb = 2\n\n[S]\na = 9\nc = 3\n\n[T]\nb = 7\n",
       {{"S", "b", 0, "2"},
        {"T", "b", 0, "7"},
        {"S", "a", 0, "1"},
        {"S", "c", 3, ""},
        {"S", "b", 0, "2"}}},
      {"[S]\na = 1\nb = 2\nc = 3\n", {{"S", "b", 0, "2"}, {"", "c", 0, "3"}, {"", "a", 3, ""}}},
      {"[S]\na = 1\n",
       {{"S", "zz", 3, ""}, {"X", "a", 2, ""}, {nullptr, "-", 4, "-"}, {"S", "a", 0, "1"}}},
      {"[Modes]\n# about\nzeta = 1\nalpha\t= two\nmid==3\n\n[MenuBar]\nx = 1\n",
       {{"Modes", nullptr, 0, ""},
        {nullptr, "zeta", 0, "1"},
        {nullptr, "alpha", 0, "two"},
        {nullptr, "mid", 0, "3"},
        {nullptr, "", 4, ""},
        {"Nope", nullptr, 2, ""},
        {nullptr, "-", 4, "-"}}},
  };
  for (size_t i = 0; i < sequences.size(); ++i) {
    Cnfg cnfg;
    open(cnfg, sequences[i].file);
    for (size_t j = 0; j < sequences[i].steps.size(); ++j) {
      const Step& step = sequences[i].steps[j];
      std::string key = "-";
      std::string value = "-";
      uint32_t code;
      if (!step.section) {
        code = cnfg.getNextParameter(key, value);
        EXPECT_EQ(key, step.key) << "sequence " << i << " step " << j;
      } else if (!step.key) {
        code = cnfg.findSection(step.section);
      } else {
        code = cnfg.getParameter(step.key, value, step.section);
      }
      EXPECT_EQ(code, step.code) << "sequence " << i << " step " << j;
      if (step.key && (!step.section || code == 0)) {
        EXPECT_EQ(value, step.value) << "sequence " << i << " step " << j;
      }
    }
  }
}

TEST_F(CnfgTest, ErrorTexts) {
  const std::string path = mDir + "\\err.ini";
  kxtest::writeBinary(path, "[PROGRAM]\nname = x\n");
  const std::string missing = mDir + "\\missing.ini";
  // File, section, key (empty: a walk of the section), code, error text.
  const std::tuple<std::string, std::string, std::string, uint32_t, std::string> rows[] = {
      {missing, "", "", 1, "File '" + missing + "' not found!"},
      {path, "LOGGING", "logFile", 2, "Section 'LOGGING' not found!"},
      {path, "PROGRAM", "rotSensBase", 3,
       "Parameter 'rotSensBase' in section 'PROGRAM' not found! (" + path + ")"},
      {path, "PROGRAM", "name", 0, "OK"},
      {path, "PROGRAM", "", 4, "No further parameter in section 'PROGRAM'!"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto& [file, section, key, expectedCode, text] = rows[i];
    Cnfg cnfg;
    uint32_t code = cnfg.open(file);
    std::string name;
    std::string value;
    if (code == 0 && key.empty()) {
      code = cnfg.findSection(section);
      while (code == 0) code = cnfg.getNextParameter(name, value);
    } else if (code == 0) {
      code = cnfg.getParameter(key, value, section);
    }
    EXPECT_EQ(code, expectedCode) << "row " << i;
    EXPECT_EQ(cnfg.getErrorText(), text) << "row " << i;
  }
}

// Bad input must end with an error code, never a crash or a hang.
TEST_F(CnfgTest, BadInputEndsWithCodes) {
  std::string binary = "[S]\nk = v\n";
  for (int round = 0; round < 4; ++round) {
    for (int c = 0; c < 256; ++c) binary += static_cast<char>(c);
  }
  const std::string longValue(10 * 1000 * 1000, 'x');
  // Name, bytes written as they are, key looked up, code, size of the value it gives.
  const std::tuple<const char*, std::string, const char*, uint32_t, size_t> rows[] = {
      {"binary", binary, "k", 0, 1},
      {"binary-missing", binary, "nothere", 3, 0},
      {"long-line", "[S]\r\nk = " + longValue + "\r\nj = 1\r\n", "k", 0, longValue.size()},
      {"long-line-after", "[S]\r\nk = " + longValue + "\r\nj = 1\r\n", "j", 0, 1},
      {"no-line-end", "[S] k = v", "k", 3, 0},
      {"cr-only", "[S]\rk = v\rj = w\r", "k", 3, 0},
      {"lf-only", "[S]\nk = v\n", "k", 0, 1},
      {"empty", "", "k", 2, 0},
      {"nul-bytes", std::string("[S]\r\nk = a\0b\r\n", 14), "k", 0, 3},
  };
  for (const auto& [name, bytes, key, code, valueSize] : rows) {
    const std::string path = mDir + "\\" + name + ".ini";
    kxtest::writeBinary(path, bytes);
    Cnfg cnfg;
    ASSERT_EQ(cnfg.open(path), 0u) << name;
    std::string value;
    EXPECT_EQ(cnfg.getParameter(key, value, "S"), code) << name;
    if (code == 0) {
      EXPECT_EQ(value.size(), valueSize) << name;
    }
    // Walking the rest must terminate as well.
    std::string walked;
    int steps = 0;
    while (cnfg.getNextParameter(walked, value) == 0 && steps < 1000) ++steps;
    EXPECT_LT(steps, 1000) << name;
  }
}

}  // namespace
