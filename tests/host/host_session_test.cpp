// The host's session, commands and macro engine driven directly, without windows.
#include <gtest/gtest.h>

#include <cmath>

#include "api/command_registry.h"
#include "api/host_session.h"
#include "api/macro_engine.h"
#include "api/view_math.h"
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

TEST(HostSessionTest, SelectionArraysPathsAndPlacements) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  s.openModel("assembly", "a1", false, &error);
  EXPECT_FALSE(s.select("9", &error));
  EXPECT_FALSE(s.select("5/1", &error)) << "a part has no components";
  for (const char* bad : {"x", "7/", "/7", "7//11", "", "7/11/3"})
    EXPECT_FALSE(s.select(bad, &error)) << "path \"" << bad << "\"";
  ASSERT_TRUE(s.select("7/11", &error)) << error;
  ASSERT_TRUE(s.selectItem("DTM1", &error));
  ASSERT_TRUE(s.select("6", &error));
  ProSelection* a = nullptr;
  ProSelection* b = nullptr;
  ASSERT_EQ(s.selectionsGet(&a), PRO_TK_NO_ERROR);
  ASSERT_EQ(s.selectionsGet(&b), PRO_TK_NO_ERROR);
  EXPECT_NE(a, b) << "every call hands out a fresh array";
  EXPECT_EQ(s.unfreedArrays(), 2);
  // Sizes, paths and positions of good selections: HostScenario.Runs/select, through the API.
  int n = 0;
  int bogus[8] = {};
  EXPECT_EQ(s.arraySize(bogus + 4, &n), PRO_TK_BAD_INPUTS);
  ProMdl current = nullptr;
  s.modelCurrent(&current);
  EXPECT_EQ(s.selectionPath(reinterpret_cast<ProSelection>(bogus), nullptr), PRO_TK_BAD_INPUTS);

  ProAsmcomp comp;
  ASSERT_EQ(s.featureInit(current, 7, &comp), PRO_TK_NO_ERROR);
  EXPECT_EQ(s.featureInit(current, 11, &comp), PRO_TK_E_NOT_FOUND) << "11 is one level down";
  ASSERT_EQ(s.featureInit(current, 7, &comp), PRO_TK_NO_ERROR);
  ProMatrix m;
  ASSERT_EQ(s.positionGet(&comp, m), PRO_TK_NO_ERROR);
  m[3][0] = 5;
  ProAsmcomppath path;
  s.selectionPath(a[0], &path);
  EXPECT_EQ(s.positionSet(&path, &comp, m), PRO_TK_NO_ERROR);
  ProMatrix infinite;
  view_math::copy(m, infinite);
  infinite[3][2] = HUGE_VAL;
  EXPECT_EQ(s.positionSet(&path, &comp, infinite), PRO_TK_BAD_INPUTS);
  ProAsmcomppath foreign = path;
  foreign.owner = nullptr;
  EXPECT_EQ(s.positionSet(&foreign, &comp, m), PRO_TK_BAD_INPUTS);
  ProMatrix back;
  s.positionGet(&comp, back);
  EXPECT_EQ(back[3][0], 5);
  const HostComponent& shownComp = comp.owner->components[2];
  ASSERT_EQ(shownComp.id, 7);
  EXPECT_EQ(shownComp.shown[3][0], 0) << "a placement shows only after a regeneration";
  EXPECT_EQ(s.regenerate(&comp, PRO_B_TRUE), PRO_TK_NO_ERROR);
  EXPECT_EQ(shownComp.shown[3][0], 5);
  EXPECT_EQ(s.regenerate(&comp, PRO_B_TRUE), PRO_TK_NO_ERROR);
  EXPECT_EQ(countEvents(j, "ev=regenerate pending_placement=false"), 1);
  EXPECT_EQ(s.dynPos(current, PRO_B_TRUE), PRO_TK_NO_ERROR);
  ProSolid part = comp.owner->components[0].model;
  EXPECT_EQ(s.dynPos(part, PRO_B_TRUE), PRO_TK_BAD_INPUTS)
      << "dynamic positioning needs an assembly";

  ProArray arr = a;
  EXPECT_EQ(s.arrayFree(&arr), PRO_TK_NO_ERROR);
  EXPECT_EQ(arr, nullptr);
  arr = a;
  EXPECT_EQ(s.arrayFree(&arr), PRO_TK_BAD_INPUTS) << "freed twice";
  EXPECT_EQ(s.unfreedArrays(), 1);
  s.clearSelection();
  ProSelection* none = nullptr;
  EXPECT_EQ(s.selectionsGet(&none), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(none, nullptr);
}

TEST(HostSessionTest, ModesByTypeOrCode) {
  const struct {
    const char* type;
    int window;  // -1: refused
    int mode;
  } rows[] = {
      {"part", 1, 1},    {"assembly", 2, 5}, {"drawing", 3, 6}, {"0", 4, 0},    {"7", 5, 7},
      {"22", 6, 22},     {"23", 7, 23},      {"99", 8, 99},     {"100", -1, 0}, {"-1", -1, 0},
      {"sketch", -1, 0}, {"", -1, 0},        {"07", 9, 7},
  };
  HostJournal j;
  HostSession s(&j);
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::string error;
    int window = s.openModel(rows[i].type, "m" + std::to_string(i), false, &error);
    EXPECT_EQ(window, rows[i].window) << "row " << i << ": " << error;
    if (window < 0) {
      EXPECT_NE(error.find("mode code 0 to 99"), std::string::npos) << "row " << i << ": " << error;
      continue;
    }
    ProMode mode = PRO_MODE_UNUSED;
    EXPECT_EQ(s.modeCurrent(&mode), PRO_TK_NO_ERROR) << "row " << i;
    EXPECT_EQ(mode, rows[i].mode) << "row " << i;
    ProBoolean section = PRO_B_TRUE;
    EXPECT_EQ(s.sectionActive(&section), PRO_TK_NO_ERROR) << "row " << i;
    EXPECT_EQ(section, PRO_B_FALSE) << "row " << i << ": a sketcher model is not an open sketch";
  }
  EXPECT_EQ(countEvents(j, "ev=model_open mode=99"), 1);
}

// The fixed assembly starts with turned components; scenario steps place a component and set the
// view; a placement's position in the assembly goes through the subassemblies above it; and every
// placement set through the API is journaled as rigid or not.
TEST(HostSessionTest, TurnedComponentsScenarioPlacementsAndRigidity) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  double m[4][4];
  const double kCos30 = std::sqrt(0.75);
  EXPECT_FALSE(s.placementInAssembly("6", m, &error)) << "no assembly yet";
  s.openModel("assembly", "a1", false, &error);
  const struct {
    const char* path;
    double expected[4][4];
  } rows[] = {
      {"5", {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
      // A quarter turn about Z.
      {"6", {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {50, 0, 0, 1}}},
      // A third of a turn about the diagonal: x to y, y to z, z to x.
      {"7", {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {0, 40, 0, 1}}},
      // 30 degrees about X inside the subassembly, then the subassembly's own turn and shift: its
      // origin (5, 0, 0) lands at (0, 45, 0).
      {"7/11", {{0, 1, 0, 0}, {0.5, 0, kCos30, 0}, {kCos30, 0, -0.5, 0}, {0, 45, 0, 1}}},
      {"7/12", {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {5, 40, 0, 1}}},
  };
  for (size_t row = 0; row < sizeof rows / sizeof rows[0]; ++row) {
    ASSERT_TRUE(s.placementInAssembly(rows[row].path, m, &error)) << "row " << row << ": " << error;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(m[r][c], rows[row].expected[r][c], 1e-12)
            << "row " << row << " entry " << r << "," << c;
  }
  for (const char* bad : {"9", "5/1", "7/", "x", ""})
    EXPECT_FALSE(s.placementInAssembly(bad, m, &error)) << "path \"" << bad << "\"";

  const double placed[4][4] = {{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {1, 2, 3, 1}};
  ASSERT_TRUE(s.placeComponent("7/12", placed, &error)) << error;
  ASSERT_TRUE(s.placementInAssembly("7/12", m, &error));
  EXPECT_NEAR(m[3][1], 40 + 1, 1e-12) << "(1, 2, 3) through the subassembly's placement";
  EXPECT_NEAR(m[3][2], 2, 1e-12);
  EXPECT_FALSE(s.placeComponent("8", placed, &error));
  EXPECT_EQ(countEvents(j, "ev=scenario_placement path=7/12"), 1);
  ASSERT_TRUE(s.setCurrentView(placed, &error));
  ProMatrix view;
  s.viewGet(nullptr, nullptr, view);
  EXPECT_EQ(view[0][2], 1);
  EXPECT_EQ(countEvents(j, "ev=scenario_view window=1"), 1);

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

// The plug-in probes the selection on every tick: a probe that finds what the last journaled one
// found is only counted, and the next journaled one says how many it stands for. A selection
// change, or an array not given back, is journaled at once.
TEST(HostSessionTest, RepeatedSelectionProbesAreFolded) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  s.openModel("assembly", "a1", false, &error);
  ProSelection* none = nullptr;
  for (int i = 0; i < 5; ++i) s.selectionsGet(&none);
  EXPECT_EQ(countEvents(j, "ev=selection_get"), 1);
  ASSERT_TRUE(s.select("6", &error));
  for (int i = 0; i < 4; ++i) {
    ProSelection* got = nullptr;
    ASSERT_EQ(s.selectionsGet(&got), PRO_TK_NO_ERROR);
    ProArray array = got;
    ASSERT_EQ(s.arrayFree(&array), PRO_TK_NO_ERROR);
  }
  EXPECT_EQ(countEvents(j, "ev=selection_get"), 2);
  EXPECT_EQ(countEvents(j, "ev=selection_get folded=4"), 1) << "the empty probes folded";
  EXPECT_EQ(countEvents(j, "ev=array_free"), 1);
  // The first array kept looks like every probe before it; the next probe finds it still there.
  ProSelection* kept = nullptr;
  s.selectionsGet(&kept);
  s.selectionsGet(&kept);
  EXPECT_EQ(countEvents(j, "ev=selection_get"), 3) << "an array kept: the count of arrays changed";
  EXPECT_EQ(countEvents(j, "ev=selection_get unfreed_arrays=2"), 1);
  s.clearSelection();
  s.selectionsGet(&none);
  EXPECT_EQ(countEvents(j, "ev=selection_get count=0"), 2);
  EXPECT_EQ(s.foldedSelectionGets(), 4 + 3 + 1);
}

TEST(HostSessionTest, ViewsPerWindow) {
  HostJournal j;
  HostSession s(&j);
  std::string error;
  int w1 = s.openModel("part", "p1", false, &error);
  ProMdl p1 = nullptr;
  s.modelCurrent(&p1);
  int w2 = s.openModel("part", "p2", false, &error);
  ProMatrix r = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {3, 4, 5, 1}};
  ASSERT_EQ(s.viewSet(nullptr, nullptr, r), PRO_TK_NO_ERROR);
  ProMatrix got;
  ASSERT_EQ(s.viewGet(p1, nullptr, got), PRO_TK_NO_ERROR);
  EXPECT_EQ(got[0][0], 1) << "window 1 keeps its own view";
  ASSERT_EQ(s.viewGet(nullptr, nullptr, got), PRO_TK_NO_ERROR);
  EXPECT_EQ(got[0][2], -1);
  EXPECT_EQ(s.viewGet(nullptr, reinterpret_cast<ProView>(&j), got), PRO_TK_BAD_INPUTS);
  ProMatrix poisoned = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  poisoned[1][2] = std::nan("");
  EXPECT_EQ(s.viewSet(nullptr, nullptr, poisoned), PRO_TK_BAD_INPUTS);
  s.viewGet(nullptr, nullptr, got);
  EXPECT_EQ(got[0][2], -1) << "a refused matrix leaves the view alone";
  EXPECT_EQ(s.refit(nullptr, nullptr), PRO_TK_NO_ERROR);
  s.viewGet(nullptr, nullptr, got);
  EXPECT_EQ(got[3][0], 0);
  EXPECT_EQ(got[0][2], -1) << "a refit keeps the orientation";
  int resolved = 0;
  EXPECT_EQ(s.refresh(PRO_VALUE_UNUSED, &resolved), PRO_TK_NO_ERROR);
  EXPECT_EQ(resolved, w2);
  EXPECT_EQ(s.refresh(w1, &resolved), PRO_TK_NO_ERROR);
  EXPECT_EQ(s.refresh(42, &resolved), PRO_TK_E_NOT_FOUND);
  const int axes[6] = {0, 0, 0, 800, 0, 0};
  s.navigate(axes, "test");
  s.viewGet(nullptr, nullptr, got);
  EXPECT_NE(got[0][1], 0) << "navigation turned the current view";
  EXPECT_LT(view_math::orthoError(got), 1e-9);
}

int gFired = 0;
ProError countFire() {
  ++gFired;
  return PRO_TK_NO_ERROR;
}
ProError otherFire() {
  gFired += 100;
  return PRO_TK_NO_ERROR;
}

TEST(HostSessionTest, NotificationsSetReplaceUnset) {
  HostJournal j;
  HostSession s(&j);
  gFired = 0;
  EXPECT_EQ(s.notificationSet(24, countFire), PRO_TK_NO_ERROR);
  s.fire(24, "test");
  EXPECT_EQ(gFired, 1);
  EXPECT_EQ(s.notificationSet(24, otherFire), PRO_TK_NO_ERROR);
  s.fire(24, "test");
  EXPECT_EQ(gFired, 101) << "setting a type again replaces the callback";
  EXPECT_EQ(s.notificationUnset(24), PRO_TK_NO_ERROR);
  EXPECT_EQ(s.notificationUnset(24), PRO_TK_E_NOT_FOUND);
  s.fire(24, "test");
  EXPECT_EQ(gFired, 101);
  EXPECT_EQ(s.notificationSet(0, countFire), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(s.notificationSet(18, nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(countEvents(j, "ev=notify handled=false"), 1);
}

int gActions = 0;
bool gChecked = false;
int action(uiCmdCmdId, uiCmdValue*, void*) {
  ++gActions;
  return 0;
}
CommandRegistry* gRegistry = nullptr;
int value(uiCmdCmdId, uiCmdValue* v) {
  gRegistry->valueSet(v, gChecked ? PRO_B_TRUE : PRO_B_FALSE);
  return -1;
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
  struct Row {
    const char* macro;
    const char* message;  // command_error message part, or "" for a clean run
  };
  const Row rows[] = {
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

TEST(CommandRegistryTest, RegistrationCallbacksAndValueHandles) {
  HostJournal j;
  CommandRegistry cmds(&j);
  uiCmdCmdId id = nullptr, again = nullptr, other = nullptr;
  ASSERT_EQ(cmds.add("Kx_Move", action, PRO_B_TRUE, value, unavailable, &id), PRO_TK_NO_ERROR);
  ASSERT_EQ(cmds.add("Kx_Move", action, PRO_B_FALSE, nullptr, nullptr, &again), PRO_TK_NO_ERROR);
  EXPECT_EQ(again, id);
  EXPECT_TRUE(again->checkButton) << "the second registration is ignored";
  EXPECT_EQ(cmds.add("Kx_Check", action, PRO_B_TRUE, nullptr, nullptr, &other), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(cmds.add(nullptr, action, PRO_B_FALSE, nullptr, nullptr, &other), PRO_TK_BAD_INPUTS);
  gActions = 0;
  EXPECT_FALSE(cmds.invoke(id, "menu")) << "an unavailable command does not run";
  EXPECT_EQ(gActions, 0);
  ASSERT_EQ(cmds.add("Kx_Free", action, PRO_B_FALSE, nullptr, nullptr, &other), PRO_TK_NO_ERROR);
  EXPECT_TRUE(cmds.invoke(other, "menu"));
  EXPECT_EQ(gActions, 1);
  gRegistry = &cmds;
  for (bool state : {true, false, true}) {
    gChecked = state;
    EXPECT_EQ(cmds.value(id, "test"), state);
  }
  gActions = 0;
  cmds.updateAll("ui_update");
  EXPECT_EQ(gActions, 0) << "bringing the interface up to date runs no action";
  EXPECT_EQ(countEvents(j, "ev=access_cb why=ui_update"), 1) << "only Kx_Move has one";
  EXPECT_EQ(countEvents(j, "ev=value_cb why=ui_update"), 1);
  ui_cmd_value stale;
  EXPECT_EQ(cmds.valueSet(&stale, PRO_B_TRUE), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(cmds.designate(reinterpret_cast<uiCmdCmdId>(&stale), "x", "y", "z"), PRO_TK_BAD_INPUTS);
}

TEST(CommandRegistryTest, DetachedCommandsAreNotOfferedUntilRegisteredAgain) {
  HostJournal j;
  CommandRegistry cmds(&j);
  uiCmdCmdId mine = nullptr, other = nullptr;
  ASSERT_EQ(cmds.add("Kx_Mine", action, PRO_B_FALSE, nullptr, nullptr, &mine), PRO_TK_NO_ERROR);
  ASSERT_EQ(cmds.add("Kx_Other", countingAction, PRO_B_FALSE, nullptr, nullptr, &other),
            PRO_TK_NO_ERROR);
  const void* gone = reinterpret_cast<const void*>(action);
  EXPECT_EQ(cmds.detach([gone](const void* p) { return p == gone; }), 1);
  EXPECT_EQ(cmds.access(mine, ACCESS_MODE_BLIND, "t"), ACCESS_REMOVE);
  EXPECT_EQ(cmds.access(other, ACCESS_MODE_BLIND, "t"), ACCESS_AVAILABLE);
  gActions = 0;
  EXPECT_FALSE(cmds.invoke(mine, "menu"));
  EXPECT_EQ(gActions, 0);
  uiCmdCmdId again = nullptr;
  ASSERT_EQ(cmds.add("Kx_Mine", countingAction, PRO_B_FALSE, nullptr, nullptr, &again),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(again, mine) << "the old handle, which menu items hold, comes back";
  EXPECT_TRUE(cmds.invoke(mine, "menu"));
  EXPECT_EQ(gActions, 10) << "with the new callback";
}

}  // namespace
