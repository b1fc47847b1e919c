// The host's session, commands and macro engine driven directly, without windows: what they refuse
// and what they keep count of, so that a plug-in's misuse shows. Their ordinary work is walked by
// the plug-in's scenarios.
#include <gtest/gtest.h>

#include <cmath>

#include "api/command_registry.h"
#include "api/host_session.h"
#include "api/macro_engine.h"
#include "scenarios/journal_condition.h"
#include "scenarios/scenario.h"

namespace {

// Journal lines matching a condition written as in scenarios.
int countEvents(const HostJournal& j, const std::string& condition) {
  std::vector<std::string> terms;
  std::string error;
  JournalCondition c;
  EXPECT_TRUE(Scenario::tokenize(condition, &terms, &error) && c.parse(terms, &error)) << error;
  return c.count(j.linesFrom(0));
}

TEST(HostSessionTest, SelectionsAndPlacementsRefuseMisuse) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  s.openModel("assembly", "a1", false, &error);
  for (const char* bad : {"9", "5/1", "x", "7/", "/7", "7//11", "", "7/11/3"})
    EXPECT_FALSE(s.select(bad, &error)) << "path \"" << bad << "\"";
  ASSERT_TRUE(s.select("7/11", &error)) << error;
  ProSelection* a = nullptr;
  ProSelection* b = nullptr;
  ASSERT_EQ(s.selectionsGet(&a), PRO_TK_NO_ERROR);
  ASSERT_EQ(s.selectionsGet(&b), PRO_TK_NO_ERROR);
  EXPECT_NE(a, b) << "every call hands out a fresh array";
  int n = 0;
  int bogus[8] = {};
  EXPECT_EQ(s.arraySize(bogus + 4, &n), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(s.selectionPath(reinterpret_cast<ProSelection>(bogus), nullptr), PRO_TK_BAD_INPUTS);

  ProMdl current = nullptr;
  s.modelCurrent(&current);
  ProAsmcomp comp;
  EXPECT_EQ(s.featureInit(current, 11, &comp), PRO_TK_E_NOT_FOUND) << "11 is one level down";
  ASSERT_EQ(s.featureInit(current, 7, &comp), PRO_TK_NO_ERROR);
  ProAsmcomppath path;
  s.selectionPath(a[0], &path);
  ProMatrix m;
  ASSERT_EQ(s.positionGet(&comp, m), PRO_TK_NO_ERROR);
  ProAsmcomppath foreign = path;
  foreign.owner = nullptr;
  EXPECT_EQ(s.positionSet(&foreign, &comp, m), PRO_TK_BAD_INPUTS);
  m[3][2] = HUGE_VAL;
  EXPECT_EQ(s.positionSet(&path, &comp, m), PRO_TK_BAD_INPUTS) << "not finite";
  EXPECT_EQ(s.dynPos(comp.owner->components[0].model, PRO_B_TRUE), PRO_TK_BAD_INPUTS)
      << "dynamic positioning needs an assembly";

  ProArray arr = a;
  EXPECT_EQ(s.arrayFree(&arr), PRO_TK_NO_ERROR);
  EXPECT_EQ(arr, nullptr);
  arr = a;
  EXPECT_EQ(s.arrayFree(&arr), PRO_TK_BAD_INPUTS) << "freed twice";
  EXPECT_EQ(s.unfreedArrays(), 1);
}

// Every placement set through the API is journaled as rigid or not.
TEST(HostSessionTest, PlacementsAreJournaledRigidOrNot) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  s.openModel("assembly", "a1", false, &error);
  ProMdl current = nullptr;
  s.modelCurrent(&current);
  ProAsmcomp comp;
  ASSERT_EQ(s.featureInit(current, 6, &comp), PRO_TK_NO_ERROR);
  ProAsmcomppath path = {current, {6}, 1};
  ProMatrix scaled = {{0, 2, 0, 0}, {-2, 0, 0, 0}, {0, 0, 2, 0}, {50, 0, 0, 1}};
  ProMatrix mirrored = {{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {50, 0, 0, 1}};
  ProMatrix turned = {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {50, 3, 0, 1}};
  EXPECT_EQ(s.positionSet(&path, &comp, scaled), PRO_TK_NO_ERROR);
  EXPECT_EQ(s.positionSet(&path, &comp, mirrored), PRO_TK_NO_ERROR);
  EXPECT_EQ(s.positionSet(&path, &comp, turned), PRO_TK_NO_ERROR);
  EXPECT_EQ(countEvents(j, "ev=placement_set rigid=false"), 2);
  EXPECT_EQ(countEvents(j, "ev=placement_set scale_error=1"), 1);
  EXPECT_EQ(countEvents(j, "ev=placement_set rigid=true"), 1);
}

TEST(HostSessionTest, ViewsRefuseBadHandlesAndMatrices) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  s.openModel("part", "p1", false, &error);
  ProMatrix got;
  EXPECT_EQ(s.viewGet(nullptr, reinterpret_cast<ProView>(&j), got), PRO_TK_BAD_INPUTS);
  ProMatrix poisoned = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  poisoned[1][2] = std::nan("");
  EXPECT_EQ(s.viewSet(nullptr, nullptr, poisoned), PRO_TK_BAD_INPUTS);
  s.viewGet(nullptr, nullptr, got);
  EXPECT_EQ(got[1][2], 0) << "a refused matrix leaves the view alone";
  int resolved = 0;
  EXPECT_EQ(s.refresh(42, &resolved), PRO_TK_E_NOT_FOUND);
}

int gActions = 0;
int action(uiCmdCmdId, uiCmdValue*, void*) {
  ++gActions;
  return 0;
}
uiCmdAccessState unavailable(uiCmdAccessMode) { return ACCESS_UNAVAILABLE; }
int countingAction(uiCmdCmdId, uiCmdValue*, void*) {
  gActions += 10;
  return 0;
}

TEST(MacroEngineTest, UndoModelByRoute) {
  HostJournal j;
  CommandRegistry cmds(&j);
  MacroEngine e(&j, &cmds);
  struct Row {
    const char* route;  // "macro" runs through the queue
    const char* command;
    int depthAfter;
  };
  // Two user edits first; trail and user routes keep the history, a macro clears it.
  e.userEdit("a");
  e.userEdit("b");
  const Row rows[] = {{"trail", "ProCmdViewRefit", 2},  {"user", "ProCmdRegenPart", 3},
                      {"trail", "ProCmdEditUndo", 2},   {"macro", "ProCmdViewRefit", 0},
                      {"user", "ProCmdFeatExtrude", 1}, {"mapkey", "ProCmdEnvMdlDisp", 1}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::string cmd = rows[i].command;
    std::string arg = cmd == "ProCmdEnvMdlDisp" ? "Wireframe" : "";
    if (std::string(rows[i].route) == "macro") {
      ASSERT_EQ(e.load("~ Command `" + cmd + "`;"), PRO_TK_NO_ERROR);
      EXPECT_TRUE(e.hasQueued());
      EXPECT_EQ(e.undoDepth(), 2) << "row " << i << ": nothing runs before the loop";
      e.runQueued();
    } else {
      e.runCommand(cmd, arg, rows[i].route);
    }
    EXPECT_EQ(e.undoDepth(), rows[i].depthAfter) << "row " << i;
  }
  EXPECT_EQ(countEvents(j, "ev=command undo=cleared"), 1);
  EXPECT_EQ(e.displayStyle(), "Wireframe");
}

TEST(MacroEngineTest, UnknownCommandsAndArgumentsAreReported) {
  HostJournal j;
  CommandRegistry cmds(&j);
  MacroEngine e(&j, &cmds);
  EXPECT_EQ(e.load("~ Command `Unclosed;"), PRO_TK_BAD_INPUTS);
  struct Row {
    const char* macro;
    const char* message;  // command_error message part, or "" for a clean run
  };
  const Row rows[] = {
      {"~ Command `ProCmdNoSuchThing`;", "Command ProCmdNoSuchThing does not exist."},
      {"~ Update `file_open` `Inputname` `x`;", "Dialog file_open is not open"},
      {"~ Command `ProFileSelPushOpen@context_dlg_open_cmd`;", "No file dialog"},
      {"~ Command `ProCmdEnvMdlDisp` `No hidden`;", ""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    size_t before = j.lineCount();
    EXPECT_EQ(e.load(rows[i].macro), PRO_TK_NO_ERROR) << "row " << i;
    e.runQueued();
    std::string found;
    for (const std::string& l : j.linesFrom(before))
      if (l.find("\"command_error\"") != std::string::npos) found = l;
    if (*rows[i].message) {
      EXPECT_NE(found.find(rows[i].message), std::string::npos) << "row " << i << ": " << found;
    } else {
      EXPECT_TRUE(found.empty()) << "row " << i << ": " << found;
    }
  }
}

TEST(CommandRegistryTest, RefusedRegistrationsAndActions) {
  HostJournal j;
  CommandRegistry cmds(&j);
  uiCmdCmdId id = nullptr, again = nullptr, other = nullptr;
  ASSERT_EQ(cmds.add("Kx_Move", action, PRO_B_FALSE, nullptr, unavailable, &id), PRO_TK_NO_ERROR);
  ASSERT_EQ(cmds.add("Kx_Move", countingAction, PRO_B_FALSE, nullptr, nullptr, &again),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(again, id) << "the second registration is ignored";
  EXPECT_EQ(cmds.add("Kx_Check", action, PRO_B_TRUE, nullptr, nullptr, &other), PRO_TK_BAD_INPUTS)
      << "a check button needs a value callback";
  EXPECT_EQ(cmds.add(nullptr, action, PRO_B_FALSE, nullptr, nullptr, &other), PRO_TK_BAD_INPUTS);
  gActions = 0;
  EXPECT_FALSE(cmds.invoke(id, "menu")) << "an unavailable command does not run";
  EXPECT_EQ(gActions, 0);
  ui_cmd_value stale;
  EXPECT_EQ(cmds.valueSet(&stale, PRO_B_TRUE), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(cmds.designate(reinterpret_cast<uiCmdCmdId>(&stale), "x", "y", "z"), PRO_TK_BAD_INPUTS);
}

}  // namespace
