// The emulated host's file formats, macro language, conditions and maths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "api/host_commands.h"
#include "api/macro_text.h"
#include "api/mapkey_table.h"
#include "api/menu_bar.h"
#include "api/trail_file.h"
#include "api/view_math.h"
#include "app/registry_file.h"
#include "json_line.h"
#include "scenarios/journal_condition.h"
#include "scenarios/scenario.h"

namespace {

TEST(RegistryFileTest, BadLinesNameFileAndLine) {
  struct Row {
    const char* text;
    const char* error;
  };
  const Row rows[] = {
      {"name A\nstartup dll\nexec_file x.dll\nbogus 1\nend\n",
       "protk.dat:4: unknown keyword \"bogus\""},
      {"name A\nstartup dll\nend\n", "protk.dat:3: entry \"A\" has no \"exec_file\""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    RegistryFile f;
    std::string error;
    EXPECT_FALSE(f.parse(rows[i].text, "protk.dat", &error)) << "row " << i;
    EXPECT_EQ(error.compare(0, std::strlen(rows[i].error), rows[i].error), 0)
        << "row " << i << ": " << error;
  }
}

TEST(MacroTextTest, BadMacrosAreRefused) {
  const char* rows[] = {
      "kx;~ Command `A` ;", "~ Command `Unclosed;", "~ Command `A` `b` `c`;",
      "~ Activate `x`;",    "~ Command `A` stray;",
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::vector<MacroStep> steps;
    std::string error;
    EXPECT_FALSE(MacroText::parse(rows[i], &steps, &error)) << "row " << i;
    EXPECT_FALSE(error.empty()) << "row " << i;
  }
}

TEST(HostCommandsTest, FixedListAndAddedCommands) {
  struct Row {
    const char* name;
    const char* arg;
    const char* complaint;  // "" when the command may run
  };
  std::string error;
  EXPECT_FALSE(HostCommands::parse("ProCmdA\n# x\n\nBad Name\n", "c.txt", &error));
  EXPECT_EQ(error, "c.txt:4: bad command name \"Bad Name\"");
  EXPECT_FALSE(HostCommands::isKnown("ProCmdA")) << "a file with an error adds nothing";
  ASSERT_TRUE(HostCommands::parse("ProCmdKxAdded\nProCmdKxPick|Left|Right\n", "c.txt", &error))
      << error;
  const Row rows[] = {
      {"ProCmdEnvMdlDisp", "Wireframe", ""},
      {"ProCmdEnvMdlDisp", "No hidden", ""},
      {"ProCmdEnvMdlDisp", "", "Invalid argument '' for command ProCmdEnvMdlDisp."},
      {"ProCmdViewRefit", "", ""},
      {"ProCmdViewRefit", "x", "Command ProCmdViewRefit takes no argument, got 'x'."},
      {"ProCmdKxAdded", "", ""},
      {"ProCmdKxPick", "Right", ""},
      {"ProCmdKxPick", "Up", "Invalid argument 'Up' for command ProCmdKxPick."},
      {"ProCmdNoSuch", "", "Command ProCmdNoSuch does not exist."},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
    EXPECT_EQ(HostCommands::check(rows[i].name, rows[i].arg), rows[i].complaint) << "row " << i;
}

TEST(MapkeyTableTest, DefinitionsAndTyping) {
  MapkeyTable t;
  std::string error;
  ASSERT_TRUE(t.define("kx @MAPKEY_LABELK;~ Command `ProCmdViewRefit`;", &error)) << error;
  ASSERT_TRUE(t.define("$F2 ~ Command `ProCmdModelSave`;", &error)) << error;
  EXPECT_FALSE(t.define("nospace", &error));
  EXPECT_FALSE(t.define(" ~ Command `A`;", &error));
  EXPECT_FALSE(t.define("kq ~ Command `A", &error));
  EXPECT_FALSE(t.define("kq ", &error));
  EXPECT_EQ(t.size(), 2u);
  // Redefinition replaces.
  ASSERT_TRUE(t.define("kx ~ Command `ProCmdModelOpen`;", &error));
  EXPECT_EQ(t.size(), 2u);
  EXPECT_EQ(t.find("kx")->steps[0].args[0], "ProCmdModelOpen");

  struct Row {
    const char* typed;
    int runs;
  };
  const Row rows[] = {{"kx", 1}, {"akx", 1},  {"kkx", 1}, {"k", 0},
                      {"xk", 0}, {"kxkx", 2}, {"kqx", 0}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    t.resetTyping();
    int runs = 0;
    for (const char* c = rows[i].typed; *c; ++c) runs += t.feed(*c) ? 1 : 0;
    EXPECT_EQ(runs, rows[i].runs) << "row " << i;
  }
}

TEST(TrailFileTest, BadFilesAreRefused) {
  const struct {
    const char* content;  // null: no file
    const char* error;
  } rows[] = {
      {"trail file version No. 1500\n~ Command `A`;\n", ":1: not a trail file header"},
      {"!trail file version No. abc\n", ":1: bad trail file version"},
      {"!trail file version No. 1\n~ Command `A`;\n~ Bogus `x`;\n", ":3: unknown macro verb"},
      {"", ":1: empty trail file"},
      {nullptr, "cannot open trail file"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::string path = testing::TempDir() + "kxh_trail_" + std::to_string(i) + ".txt";
    std::remove(path.c_str());
    if (rows[i].content) std::ofstream(path, std::ios::binary) << rows[i].content;
    TrailFile t;
    std::string error;
    EXPECT_FALSE(t.load(path, &error)) << "row " << i;
    EXPECT_NE(error.find(rows[i].error), std::string::npos) << "row " << i << ": " << error;
  }
}

// A bad line fails the scenario naming file and line, one row per kind of refusal.
TEST(ScenarioTest, BadLinesNameFileAndLine) {
  struct Row {
    const char* text;
    const char* error;
  };
  const Row rows[] = {
      {"\xEF\xBB\xBF# c\nopen part p\nfly away\n", "s.scn:3: unknown step \"fly\""},
      {"replace-graphics now\n", "s.scn:1: \"replace-graphics\" takes 0 argument(s), got 1"},
      {"menu Korvex \"Toggle\n", "s.scn:1: unclosed quote"},
      {"view 1 0 0 10 0\n", "s.scn:1: view needs a scale above 0, got \"0\""},
      {"expect m[0=1\n", "s.scn:1: bad index in \"m[0=1\""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(s.parse(rows[i].text, "s.scn", &error)) << "row " << i;
    EXPECT_EQ(error.compare(0, std::strlen(rows[i].error), rows[i].error), 0)
        << "row " << i << ": " << error;
  }
}

TEST(JournalConditionTest, Operators) {
  std::map<std::string, std::string> ev;
  std::string error;
  ASSERT_TRUE(JsonLine::parse(
      "{\"t\":5,\"ev\":\"command\",\"name\":\"ProCmdEnvMdlDisp\",\"arg\":\"Hidden line\","
      "\"undo_depth\":2,\"m\":[[1,0],[0,1]],\"ok\":true}",
      &ev, &error))
      << error;
  struct Row {
    std::vector<std::string> terms;
    bool matches;
  };
  const Row rows[] = {
      {{"ev=command"}, true},
      {{"ev=command", "arg=Hidden"}, false},
      {{"arg~Hidden"}, true},
      {{"undo_depth>1"}, true},
      {{"missing!=x"}, true},
      {{"ok=true"}, true},
      {{"m~[0,1]"}, true},
      {{"name>3"}, false},
      // Single entries of arrays, numbers within a tolerance.
      {{"m[0][0]=1"}, true},
      {{"m[1][1]=1.5+-0.5"}, true},
      {{"m[1][1]=1.5+-0.49"}, false},
      {{"m[0][1]>-0.5", "m[0][1]<0.5"}, true},
      {{"m[1]=[0,1]"}, true},
      {{"m[2][0]=1"}, false},
      {{"m[2][0]!=1"}, true},
      {{"name[0]=P"}, false},
      {{"undo_depth=2.0000001+-0.000001"}, true},
      {{"m[1][1]!=1.05+-0.1"}, false},
      {{"m[1][1]!=1.2+-0.1"}, true},
      {{"arg!=1+-0.1"}, true},
      {{"arg=2+-1"}, false},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    JournalCondition c;
    ASSERT_TRUE(c.parse(rows[i].terms, &error)) << "row " << i << ": " << error;
    EXPECT_EQ(c.matches(ev), rows[i].matches) << "row " << i;
  }
}

TEST(JsonLineTest, WrittenLinesReadBack) {
  double m[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16.5}};
  std::string text = JsonLine("kind")
                         .str("s", "quote \" back \\ tab \t nl \n")
                         .num("n", -42)
                         .real("r", 0.25)
                         .flag("b", false)
                         .matrix("m", m)
                         .text(1234);
  std::map<std::string, std::string> f;
  std::string error;
  ASSERT_TRUE(JsonLine::parse(text, &f, &error)) << error << " in " << text;
  EXPECT_EQ(f["t"], "1234");
  EXPECT_EQ(f["ev"], "kind");
  EXPECT_EQ(f["s"], "quote \" back \\ tab \t nl \n");
  EXPECT_EQ(f["n"], "-42");
  EXPECT_EQ(f["r"], "0.25");
  EXPECT_EQ(f["b"], "false");
  EXPECT_EQ(f["m"], "[[1,2,3,4],[5,6,7,8],[9,10,11,12],[13,14,15,16.5]]");
  const char* bad[] = {"", "[1]", "{\"a\":}", "{\"a\":\"x}", "{\"a\" 1}", "{\"a\":1"};
  for (size_t i = 0; i < sizeof bad / sizeof bad[0]; ++i)
    EXPECT_FALSE(JsonLine::parse(bad[i], &f, &error)) << "row " << i;
}

// What the host calls a rigid placement: a turn and a shift, nothing scaled, sheared or mirrored.
TEST(ViewMathTest, RigidPlacements) {
  const double c = std::cos(0.3), s = std::sin(0.3);
  const struct {
    double m[4][4];
    bool rigid;
    double scaleError;
  } rows[] = {
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, -6, 7, 1}}, true, 0},
      {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {50, 0, 0, 1}}, true, 0},
      {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}, false, 1},
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1 + 1e-6, 0}, {0, 0, 0, 1}}, false, 1e-6},
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}}, false, 0},
      {{{1, 0.1, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 0.00498756},
      {{{1, 0, 0, 0.5}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 0},
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 2}}, false, 0},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    EXPECT_EQ(view_math::isRigid(rows[i].m, 1e-9), rows[i].rigid) << "row " << i;
    EXPECT_NEAR(view_math::scaleError(rows[i].m), rows[i].scaleError, 1e-8) << "row " << i;
  }
}

// Where a menu lands is the menu scenario's; these are the refusals.
TEST(MenuBarTest, RefusedMenusAndButtons) {
  HostJournal j;
  MenuBar bar(&j);
  EXPECT_EQ(bar.addMenu("Korvex", "Korvex", "Nope", false), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(bar.findMenu("Korvex"), -1);
  ASSERT_EQ(bar.addMenu("Korvex", "Korvex", "Help", false), PRO_TK_NO_ERROR);
  EXPECT_EQ(bar.addMenu("Korvex", "again", "Help", false), PRO_TK_GENERAL_ERROR);
  uiCmdCmdId cmd = reinterpret_cast<uiCmdCmdId>(&j);
  EXPECT_EQ(bar.addCheckButton("Nope", "X", "X", "", nullptr, true, cmd), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(bar.addCheckButton("Korvex", "Y", "Y", "", "Nope", true, cmd), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(bar.addCheckButton("Korvex", "Z", "Z", "", nullptr, true, nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_TRUE(bar.menus()[bar.findMenu("Korvex")].items.empty());
}

}  // namespace
