// The catalogue's text logic: classification, command texts, filing, padding, sorting, writing.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config_test_util.h"
#include "failing_file_calls.h"
#include "mnu_parser.h"

namespace {

MNUCommand record(const std::string& key, const std::string& label, const std::string& help = "") {
  MNUCommand c;
  c.key = key;
  c.label = label;
  c.helpText = help;
  return c;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  out.push_back(text.substr(start));
  return out;
}

TEST(MNUParserNames, Classification) {
  // A resource name, its kind and its name in upper case.
  const std::tuple<const char*, MNUParser::ResourceKind, const char*> rows[] = {
      {"PROCMDVIEWSHADED.TXT", MNUParser::kCommandText, "PROCMDVIEWSHADED.TXT"},
      {"RIBBON_PANE.RES", MNUParser::kPaneLayout, "RIBBON_PANE.RES"},
      {"PROCMD.RES", MNUParser::kSkippedResource, "PROCMD.RES"},
      {"HELP.TXT", MNUParser::kSkippedResource, "HELP.TXT"},
      {"VIEW_PANE.TXT", MNUParser::kSkippedResource, "VIEW_PANE.TXT"},
      {"procmdOpen.txt", MNUParser::kCommandText, "PROCMDOPEN.TXT"},
      {"ribbon_Pane.res", MNUParser::kPaneLayout, "RIBBON_PANE.RES"},
      {"PROCMD.TXT", MNUParser::kCommandText, "PROCMD.TXT"},
      {"_PANE.RES", MNUParser::kPaneLayout, "_PANE.RES"},
      {"PROCMD_PANE.RES", MNUParser::kPaneLayout, "PROCMD_PANE.RES"},
      {"XPROCMDA.TXT", MNUParser::kSkippedResource, "XPROCMDA.TXT"},
      {"PROCMDA.TXT ", MNUParser::kSkippedResource, "PROCMDA.TXT "},
      {"PROCMDA.TXT.BAK", MNUParser::kSkippedResource, "PROCMDA.TXT.BAK"},
      {"pröcmd.txt", MNUParser::kSkippedResource, "PRöCMD.TXT"},
      {"", MNUParser::kSkippedResource, ""},
  };
  for (const auto& [name, kind, expectedUpper] : rows) {
    std::string upper;
    EXPECT_EQ(MNUParser::ClassifyName(name, &upper), kind) << "'" << name << "'";
    EXPECT_EQ(upper, expectedUpper) << "'" << name << "'";
  }
}

// Command texts are parsed by the mnu_command fuzzer against a line-by-line reading, its seeds
// one case each (offsets, markers on the last lines, the second marker winning, CR, NUL, '&').

TEST(MNUParserPanes, FirstTextWins) {
  MNUParser parser;
  EXPECT_TRUE(parser.AddPane("VIEW", "ProCmdA"));
  EXPECT_FALSE(parser.AddPane("VIEW", "ProCmdB"));
  EXPECT_EQ(parser.mPanes.at("VIEW").first, "ProCmdA");
  EXPECT_EQ(parser.mPanes.at("VIEW").second, "PROCMDA");
  EXPECT_TRUE(parser.AddPane("view", "x"));  // names are compared as they are
}

TEST(MNUParserFiling, SpellingAndPanes) {
  // A key, the panes (name, text), whether the command is accepted, and where it is filed (pane,
  // command).
  using Pairs = std::vector<std::pair<const char*, const char*>>;
  const std::tuple<const char*, Pairs, bool, Pairs> rows[] = {
      // The spelling of the first pane in name order, for every pane.
      {"PROCMDFOOBAR",
       {{"B", "procmdfoobar"}, {"A", "x ProCmdFooBar y"}},
       true,
       {{"A", "ProCmdFooBar"}, {"B", "ProCmdFooBar"}}},
      // A key that is the prefix of another command's name.
      {"PROCMDVIEW", {{"VIEW", "<b c=\"ProCmdViewShaded\"/>"}}, true, {{"VIEW", "ProCmdView"}}},
      // The first occurrence in the pane.
      {"PROCMDVIEW", {{"VIEW", "procmdviewShaded ProCmdView"}}, true, {{"VIEW", "procmdview"}}},
      // In no pane: kept nowhere, still accepted.
      {"PROCMDNONE", {{"A", "ProCmdOther"}}, true, {}},
      // Keys are searched in upper case, and the spelling is as long as the key.
      {"ProCmdLow", {{"A", "..PROCMDLOW.."}}, true, {{"A", "PROCMDLOW"}}},
      // Keys that do not start like commands are searched as well.
      {"MYCMD", {{"A", "my mycmd"}, {"B", "MYCM"}}, true, {{"A", "mycmd"}}},
      {"PROCM", {{"A", "ProCmdX"}}, true, {{"A", "ProCm"}}},
      // Overlapping candidates.
      {"PROCMDPROCMDX", {{"A", "ProCmdProCmdProCmdX"}}, true, {{"A", "ProCmdProCmdX"}}},
      // A match at the very end of a pane, and one cut off by its end.
      {"PROCMDEND", {{"A", "x ProCmdEnd"}, {"B", "x ProCmdEn"}}, true, {{"A", "ProCmdEnd"}}},
      {"", {{"A", "ProCmd"}}, false, {}},
  };
  for (const auto& [key, panes, result, filed] : rows) {
    SCOPED_TRACE(key);
    MNUParser parser;
    for (const auto& [name, text] : panes) parser.AddPane(name, text);
    EXPECT_EQ(parser.AddCommand(record(key, "Label")), result);
    size_t total = 0;
    for (const auto& pane : parser.mPaneCommands) total += pane.second.size();
    EXPECT_EQ(total, filed.size());
    for (const auto& [pane, command] : filed) {
      ASSERT_EQ(parser.mPaneCommands.count(pane), 1u) << "pane " << pane;
      ASSERT_EQ(parser.mPaneCommands[pane].size(), 1u) << "pane " << pane;
      EXPECT_EQ(parser.mPaneCommands[pane][0].command, command);
      EXPECT_EQ(parser.mPaneCommands[pane][0].key, key);
    }
  }
}

TEST(MNUParserFiling, EmptyLabelIsDroppedAndPanesCountAsKnownThen) {
  MNUParser parser;
  parser.AddPane("A", "ProCmdX");
  EXPECT_FALSE(parser.AddCommand(record("PROCMDX", "")));
  EXPECT_TRUE(parser.mPaneCommands.empty());
  EXPECT_TRUE(parser.AddCommand(record("PROCMDX", "X")));
  // A pane added later takes only commands added after it.
  parser.AddPane("B", "ProCmdX ProCmdY");
  EXPECT_TRUE(parser.AddCommand(record("PROCMDY", "Y")));
  EXPECT_TRUE(parser.AddCommand(record("PROCMDX", "X2")));
  ASSERT_EQ(parser.mPaneCommands["A"].size(), 2u);
  ASSERT_EQ(parser.mPaneCommands["B"].size(), 2u);
  EXPECT_EQ(parser.mPaneCommands["B"][0].key, "PROCMDY");
  EXPECT_EQ(parser.mPaneCommands["B"][1].label, "X2");
}

TEST(MNUParserProgress, StepsAndCeilings) {
  {
    MNUParser parser;  // no progress pointer: nothing is stored, nothing breaks
    parser.AddPaneResource("A_PANE.RES", "x");
    EXPECT_EQ(parser.GetProgress(), 0.0);
  }
  std::atomic<double> progress{0.0};
  MNUParser parser;
  parser.mProgress = &progress;
  parser.AddPaneResource("A_PANE.RES", "x");
  EXPECT_DOUBLE_EQ(progress, 0.006);
  progress = 0.3;
  parser.AddPaneResource("B_PANE.RES", "x");
  EXPECT_EQ(progress, 0.3);
  parser.AddCommandResource("PROCMDNOLABEL.TXT", "nothing");
  EXPECT_EQ(progress, 0.3 + 0.00017142857142857145);
  progress = 0.8999;
  parser.AddCommandResource("PROCMDNOLABEL.TXT", "nothing");
  EXPECT_EQ(progress, 0.9);
  progress = 0.5;  // above the pane ceiling: the ceiling is stored
  parser.AddPaneResource("C_PANE.RES", "x");
  EXPECT_EQ(progress, 0.3);
  progress = -2.0;  // a value below 0 is never stored
  parser.AddPaneResource("D_PANE.RES", "x");
  EXPECT_EQ(progress, -2.0);
  EXPECT_EQ(parser.mPanes.count("A"), 1u);
  EXPECT_EQ(parser.mPanes.count("D"), 1u);
}

TEST(MNUParserProgress, WritingStepsPerPane) {
  std::atomic<double> progress{0.9};
  MNUParser parser;
  parser.mProgress = &progress;
  for (const char* pane : {"A", "B", "C", "D"}) {
    parser.AddPane(pane, "ProCmdX");
  }
  parser.AddCommand(record("PROCMDX", "X"));
  parser.ComposeMNUText();
  EXPECT_EQ(progress, 0.999999);  // 0.9 + 4 * 0.025 is capped
  progress = 0.5;
  parser.ComposeMNUText();
  EXPECT_DOUBLE_EQ(progress, 0.5 + 4 * (0.09999999999999998 / 4));
}

// Whole files at real scale, English and German, are compared in the first-start scenarios.

void fillSmall(MNUParser* parser) {
  parser->AddPane("VIEW", "layout: ProCmdViewShaded ProCmdViewRefit ProCmdModelOpen");
  parser->AddPane("FILE", "ProCmdModelOpen\nProCmdModelSave");
  parser->AddCommand(record("PROCMDVIEWSHADED", "Shaded", "Shows shaded."));
  parser->AddCommand(record("PROCMDMODELSAVE", "Save", "Saves."));
  parser->AddCommand(record("PROCMDVIEWREFIT", "Refit", "Refits the view."));
  parser->AddCommand(record("PROCMDMODELOPEN", "Open", "Opens a model."));
  parser->AddCommand(record("PROCMDNOWHERE", "Nowhere at all", "Not in any pane."));
}

// A write cut short (a crash, a full disk) leaves no file: a cut file would never be built again.
// Every cut is FileCommitTest's; here the first and last bytes and the middle, at two sizes.
TEST(MNUParserWriting, AWriteCutShortLeavesNoFile) {
  const std::string dir = kxtest::makeTempDir("mnu_cut");
  const std::string path = dir + "\\Creo.mnu";
  for (const bool isSmall : {false, true}) {
    MNUParser parser;
    if (isSmall) fillSmall(&parser);
    const std::string text = parser.ComposeMNUText();
    for (const size_t cut : {size_t{0}, size_t{1}, text.size() / 2, text.size() - 1}) {
      kxtest::FailingFileCalls failing("write", cut);
      EXPECT_FALSE(parser.WriteMNUFile(path)) << "small " << isSmall << ", cut " << cut;
      EXPECT_FALSE(kxtest::fileExists(path)) << "small " << isSmall << ", cut " << cut;
      EXPECT_FALSE(kxtest::fileExists(FileCommit::tempPath(path))) << "small " << isSmall;
    }
    ASSERT_TRUE(parser.WriteMNUFile(path)) << "small " << isSmall;
    EXPECT_EQ(kxtest::readBinary(path), text) << "small " << isSmall;
    kxtest::removeTree(path);
  }
  kxtest::removeTree(dir);
}

TEST(MNUParserWriting, EmptyCatalogueAndPadding) {
  MNUParser parser;
  const std::string text = parser.ComposeMNUText();
  const std::vector<std::string> got = lines(text);
  ASSERT_EQ(got.size(), 32u);
  EXPECT_EQ(got[3], "Sketcher= 1");
  EXPECT_EQ(got[4], "Part = 2");
  EXPECT_EQ(got[25], "Default= 23");
  EXPECT_EQ(got[28], "0Korvex= {}");
  EXPECT_EQ(got[31], " ");
  EXPECT_EQ(text.substr(text.size() - 3), "\r\n ");  // no line end after the final space

  // A label of 10,000 characters: W = 10,005, nothing is cut.
  MNUParser big;
  big.AddPane("P", "ProCmdBig");
  big.AddCommand(record("PROCMDBIG", std::string(10000, 'L'), "h"));
  const std::vector<std::string> bigLines = lines(big.ComposeMNUText());
  ASSERT_EQ(bigLines.size(), 34u);
  EXPECT_EQ(bigLines[3], "Sketcher" + std::string(10005 - 8, ' ') + "= 1");
  EXPECT_EQ(bigLines[32], "1" + std::string(10000, 'L') + "    = {}ProCmdBig|h");
}

TEST(MNUParserWriting, DisplayCommandsAreRewritten) {
  // Command, as written. The four display commands themselves are rewritten in the menu files the
  // first-start scenarios compare; here the near misses stay as they are.
  const std::pair<const char*, const char*> rows[] = {
      {"ProCmdViewShaded", "ProCmdEnvMdlDisp*Shading"}, {"ProCmdViewshaded", "ProCmdViewshaded"},
      {"PROCMDVIEWSHADED", "PROCMDVIEWSHADED"},         {"ProCmdViewShadedX", "ProCmdViewShadedX"},
      {"ProCmdViewRefit", "ProCmdViewRefit"},
  };
  for (const auto& [command, written] : rows) {
    MNUParser parser;
    parser.mPaneCommands["P"].push_back(record("K", "L", "h"));
    parser.mPaneCommands["P"][0].command = command;
    const std::vector<std::string> got = lines(parser.ComposeMNUText());
    ASSERT_EQ(got.size(), 34u) << command;
    EXPECT_EQ(got[32], std::string("1L    = {}") + written + "|h") << command;
  }
}

TEST(MNUParserWriting, PanesAndRecordsSortedByteWise) {
  MNUParser parser;
  // Pane, key (also command and help), label; added in this order.
  const char* const added[][3] = {
      {"\xC4PANE", "K1", "x"}, {"_PANE", "K1", "x"},           {"ZPANE", "K1", "x"},
      {"APANE", "K9", "b"},    {"APANE", "K3", "\xC4nderung"}, {"APANE", "K2", "B"},
      {"APANE", "K8", "a"},    {"APANE", "K1", "b"},           {"APANE", "K5", "a"}};
  for (const auto& [pane, key, label] : added) {
    MNUCommand c = record(key, label, key);
    c.command = key;
    parser.mPaneCommands[pane].push_back(c);
  }
  parser.mPaneCommands["EMPTY"];  // a pane without records is not written
  const std::vector<std::string> got = lines(parser.ComposeMNUText());
  const std::vector<std::string> expected = {
      "0APANE       = {}",         "1B           = {}K2|K2",
      "1a           = {}K5|K5",    "1a           = {}K8|K8",
      "1b           = {}K1|K1",    "1b           = {}K9|K9",
      "1\xC4nderung    = {}K3|K3", "0ZPANE       = {}",
      "1x           = {}K1|K1",    "0_PANE       = {}",
      "1x           = {}K1|K1",    "0\xC4PANE       = {}",
      "1x           = {}K1|K1",    " ",
  };
  ASSERT_EQ(got.size(), 31 + expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[31 + i], expected[i]) << "line " << i;
}

}  // namespace
