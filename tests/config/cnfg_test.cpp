#include "cnfg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "config_test_util.h"

namespace {

class CnfgTest : public ::testing::Test {
 protected:
  void SetUp() override { mDir = kxtest::makeTempDir("cnfg"); }
  void TearDown() override { kxtest::removeTree(mDir); }

  // Written in text mode, so every LF reaches the disk as CR LF.
  std::string writeText(const std::string& name, const std::string& text) {
    const std::string path = mDir + "\\" + name;
    std::ofstream out(path);
    out << text;
    return path;
  }

  std::string mDir;
};

struct LookupRow {
  const char* body;  // lines of the file after "[S]"
  const char* key;
  uint32_t code;
  const char* value;
};

TEST_F(CnfgTest, KeyLineFormsAndBlockEnds) {
  const std::vector<LookupRow> rows = {
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
      {"k = first\nk = second\n", "k", 0, "first"},
      {"a = 1\n# x\nk = v\n", "k", 0, "v"},
      {"a = 1\n # x\nk = v\n", "k", 3, ""},
      {"a = 1\n\nk = v\n", "k", 3, ""},
      {"a = 1\n   \nk = v\n", "k", 3, ""},
      {"a = 1\n[PROGRAM\nk = v\n", "k", 3, ""},
      {"a = 1\n[T]\nk = v\n", "k", 3, ""},
      {"Name = x\n", "name", 3, ""},
      {"a = 1\nk = last", "k", 0, "last"},
      {"", "k", 3, ""},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string path =
        writeText("f" + std::to_string(i) + ".ini", std::string("[S]\n") + rows[i].body);
    Cnfg cnfg;
    ASSERT_EQ(cnfg.open(path), 0u) << "row " << i;
    std::string value = "untouched";
    EXPECT_EQ(cnfg.getParameter(rows[i].key, value, "S"), rows[i].code) << "row " << i;
    if (rows[i].code == 0) {
      EXPECT_EQ(value, rows[i].value) << "row " << i;
    }
  }
}

struct SectionRow {
  const char* file;
  const char* section;
  uint32_t code;
};

TEST_F(CnfgTest, SectionHeaders) {
  const std::vector<SectionRow> rows = {
      {"[PROGRAM] # main\nk = v\n", "PROGRAM", 0}, {"[ PROGRAM ]\nk = v\n", "PROGRAM", 2},
      {"[ PROGRAM ]\nk = v\n", " PROGRAM ", 0},    {"[PROGRAM\nk = v\n", "PROGRAM", 2},
      {"[program]\nk = v\n", "PROGRAM", 2},        {"  [PROGRAM]\nk = v\n", "PROGRAM", 0},
      {"x = 1\n[PROGRAM]", "PROGRAM", 0},          {"[A]\nk = v\n", "PROGRAM", 2},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string path = writeText("s" + std::to_string(i) + ".ini", rows[i].file);
    Cnfg cnfg;
    ASSERT_EQ(cnfg.open(path), 0u) << "row " << i;
    EXPECT_EQ(cnfg.findSection(rows[i].section), rows[i].code) << "row " << i;
  }
}

TEST_F(CnfgTest, FirstSectionOfDuplicatesWinsAndLookupsRewind) {
  const std::string path =
      writeText("dup.ini", "[S]\na = 1\nb = 2\n\n[S]\na = 9\nc = 3\n\n[T]\nb = 7\n");
  Cnfg cnfg;
  ASSERT_EQ(cnfg.open(path), 0u);
  std::string value;
  const std::vector<LookupRow> rows = {
      {"S", "b", 0, "2"}, {"T", "b", 0, "7"}, {"S", "a", 0, "1"},
      {"S", "c", 3, ""},  {"S", "b", 0, "2"},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(cnfg.getParameter(rows[i].key, value, rows[i].body), rows[i].code) << "row " << i;
    if (rows[i].code == 0) {
      EXPECT_EQ(value, rows[i].value) << "row " << i;
    }
  }
}

TEST_F(CnfgTest, EmptySectionNameContinuesFromCurrentPosition) {
  const std::string path = writeText("cont.ini", "[S]\na = 1\nb = 2\nc = 3\n");
  Cnfg cnfg;
  ASSERT_EQ(cnfg.open(path), 0u);
  std::string value;
  ASSERT_EQ(cnfg.getParameter("b", value, "S"), 0u);
  EXPECT_EQ(cnfg.getParameter("c", value, ""), 0u);
  EXPECT_EQ(value, "3");
  // "a" lies behind the position now.
  EXPECT_EQ(cnfg.getParameter("a", value, ""), 3u);
}

TEST_F(CnfgTest, IterationWalksOneBlockInFileOrder) {
  const std::string path = writeText(
      "iter.ini", "[Modes]\n# about\nzeta = 1\nalpha\t= two\nmid==3\n\n[MenuBar]\nx = 1\n");
  Cnfg cnfg;
  ASSERT_EQ(cnfg.open(path), 0u);
  ASSERT_EQ(cnfg.findSection("Modes"), 0u);
  std::vector<std::pair<std::string, std::string>> got;
  std::string key;
  std::string value;
  while (cnfg.getNextParameter(key, value) == 0) got.emplace_back(key, value);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"zeta", "1"}, {"alpha", "two"}, {"mid", "3"}};
  EXPECT_EQ(got, expected);
  EXPECT_EQ(cnfg.getErrorText(), "No further parameter in section 'Modes'!");

  // A missing section yields "no further parameter" at once.
  EXPECT_EQ(cnfg.findSection("Nope"), 2u);
  key = "k0";
  value = "v0";
  EXPECT_EQ(cnfg.getNextParameter(key, value), 4u);
  EXPECT_EQ(key, "k0");
  EXPECT_EQ(value, "v0");
}

TEST_F(CnfgTest, ErrorTexts) {
  const std::string path = writeText("err.ini", "[PROGRAM]\nname = x\n");
  const std::string missing = mDir + "\\missing.ini";
  struct Row {
    std::string file;
    std::string section;
    std::string key;
    uint32_t code;
    std::string text;
  };
  const std::vector<Row> rows = {
      {missing, "", "", 1, "File '" + missing + "' not found!"},
      {path, "LOGGING", "logFile", 2, "Section 'LOGGING' not found!"},
      {path, "PROGRAM", "rotSensBase", 3,
       "Parameter 'rotSensBase' in section 'PROGRAM' not found! (" + path + ")"},
      {path, "PROGRAM", "name", 0, "OK"},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    Cnfg cnfg;
    uint32_t code = cnfg.open(rows[i].file);
    if (code == 0) {
      std::string value;
      code = cnfg.getParameter(rows[i].key, value, rows[i].section);
    }
    EXPECT_EQ(code, rows[i].code) << "row " << i;
    EXPECT_EQ(cnfg.getErrorText(), rows[i].text) << "row " << i;
  }
}

TEST_F(CnfgTest, UsableAfterEveryFailure) {
  const std::string path = writeText("reuse.ini", "[S]\na = 1\n");
  Cnfg cnfg;
  ASSERT_EQ(cnfg.open(path), 0u);
  std::string value;
  std::string key;
  EXPECT_EQ(cnfg.getParameter("zz", value, "S"), 3u);
  EXPECT_EQ(cnfg.getParameter("a", value, "X"), 2u);
  EXPECT_EQ(cnfg.getNextParameter(key, value), 4u);
  EXPECT_EQ(cnfg.getParameter("a", value, "S"), 0u);
  EXPECT_EQ(value, "1");
}

TEST_F(CnfgTest, LineSplitting) {
  struct Row {
    const char* line;
    Cnfg::LinePieces pieces;
  };
  const std::vector<Row> rows = {
      {"", {"", "", "", "", "", ""}},
      {" \t ", {" \t ", "", "", "", "", ""}},
      {"  # c", {"  ", "", "", "", "", "# c"}},
      {"[A b] rest", {"", "A b", "", "", "", " rest"}},
      {"[open", {"", "", "", "", "", ""}},
      {" key \t= v # c", {" ", "", "key", "\t=", " v ", "# c"}},
      {"k==v", {"", "", "k", "==", "v", ""}},
      {"= v", {"", "", "", "=", " v", ""}},
      {"k = a\rb", {"", "", "k", "=", " a", "\rb"}},
  };
  Cnfg cnfg;
  cnfg.open(mDir + "\\none.ini");  // only to set the character sets
  for (size_t i = 0; i < rows.size(); ++i) {
    const Cnfg::LinePieces got = cnfg.parseLine(rows[i].line);
    const Cnfg::LinePieces& want = rows[i].pieces;
    EXPECT_EQ(got.leadingBlanks, want.leadingBlanks) << "row " << i;
    EXPECT_EQ(got.section, want.section) << "row " << i;
    EXPECT_EQ(got.name, want.name) << "row " << i;
    EXPECT_EQ(got.separator, want.separator) << "row " << i;
    EXPECT_EQ(got.value, want.value) << "row " << i;
    EXPECT_EQ(got.comment, want.comment) << "row " << i;
  }
}

// Bad input must end with an error code, never a crash or a hang.
TEST_F(CnfgTest, BadInputEndsWithCodes) {
  std::string binary = "[S]\nk = v\n";
  for (int round = 0; round < 4; ++round) {
    for (int c = 0; c < 256; ++c) binary += static_cast<char>(c);
  }
  const std::string longValue(10 * 1000 * 1000, 'x');
  struct Row {
    const char* name;
    std::string bytes;  // written as they are
    const char* key;
    uint32_t code;
    size_t valueSize;
  };
  const std::vector<Row> rows = {
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
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string path = mDir + "\\bad" + std::to_string(i) + ".ini";
    kxtest::writeBinary(path, rows[i].bytes);
    const auto start = std::chrono::steady_clock::now();
    Cnfg cnfg;
    ASSERT_EQ(cnfg.open(path), 0u) << "row " << i << " " << rows[i].name;
    std::string value;
    EXPECT_EQ(cnfg.getParameter(rows[i].key, value, "S"), rows[i].code)
        << "row " << i << " " << rows[i].name;
    if (rows[i].code == 0) {
      EXPECT_EQ(value.size(), rows[i].valueSize) << "row " << i << " " << rows[i].name;
    }
    // Walking the rest must terminate as well.
    std::string key;
    int steps = 0;
    while (cnfg.getNextParameter(key, value) == 0 && steps < 1000) ++steps;
    EXPECT_LT(steps, 1000) << "row " << i;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << "row " << i;
  }
}

TEST_F(CnfgTest, CrLfNeverReachesValues) {
  const std::string path = mDir + "\\crlf.ini";
  kxtest::writeBinary(path, "[S]\r\na = 1\r\nb =\r\nc = x \r\n");
  Cnfg cnfg;
  ASSERT_EQ(cnfg.open(path), 0u);
  const std::vector<std::pair<const char*, const char*>> rows = {{"a", "1"}, {"b", ""}, {"c", "x"}};
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string value;
    EXPECT_EQ(cnfg.getParameter(rows[i].first, value, "S"), 0u) << "row " << i;
    EXPECT_EQ(value, rows[i].second) << "row " << i;
  }
}

}  // namespace
