// The emulated host as a program: a test plug-in loaded from a registry file, driven by scenarios,
// observed through the journal and the exit code. Most cases carry their expectations in their
// scenario, so a failure names the scenario line; what only the finished journal shows (the stop,
// the exit) is checked afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "environment.h"
#include "host_process.h"

namespace {

struct ScenarioCase {
  const char* name;
  const char* testCase;  // KXH_CASE for the test plug-in
  const char* scenario;
  int exitCode = 0;
  std::vector<std::pair<int, const char*>> atExit = {};  // counts in the finished journal
};

// The host's detectors of an application's misuse, one case each. An application's ordinary
// work is walked by the plug-in's own scenarios (tests/plugin/).
const ScenarioCase kCases[] = {
    {"leak", "leak", "open part p1\n", 2, {{1, "ev=fault what=notification_left_set type=72"}}},
    {"unfreed",
     "select",
     "open assembly a1\n"
     "select 7/11\n"
     "popup open\n"
     "expect ev=note \"text=sel err=0 n=1 bogus_size=-2\"\n",
     0,
     {{1, "ev=host_exit unfreed_arrays=1"}}},
    {"thread",
     "thread",
     "open part p1\n"
     "popup open\n"
     "expect ev=note \"text=thread result=-1\"\n"
     "expect-count 1 ev=fault what=foreign_thread function=ProModeCurrentGet\n",
     2,
     {{1, "ev=host_exit faults=1 exit_code=2"}}},
    {"refused_click", "invisible",
     "open part p1\n"
     "menu-open KxTest\n"
     "menu KxTest \"Kxt Scroll\"\n"
     "expect ev=menu_state \"item=Kxt Scroll\" visible=false\n"
     "expect-count 1 ev=menu_click_refused \"item=Kxt Scroll\"\n"
     "expect-none ev=action_cb name=Kxt_Scroll\n"},
};

void PrintTo(const ScenarioCase& c, std::ostream* os) { *os << c.name; }

class HostScenario : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(HostScenario, Runs) {
  const ScenarioCase& c = GetParam();
  HostProcess h(c.name);
  // The test plug-in's message file: labels of its menu items come from here.
  CreateDirectoryA((h.folder() + "\\usascii").c_str(), nullptr);
  h.write("usascii\\kxtest.txt", "\nKxTest\nKx Test Menu\n#\n#\n");
  HostRun r = h.runScenario(c.scenario, c.testCase);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.errors;
  for (size_t i = 0; i < c.atExit.size(); ++i)
    EXPECT_EQ(r.count(c.atExit[i].second), c.atExit[i].first)
        << "at exit, row " << i << ": " << c.atExit[i].second;
}

INSTANTIATE_TEST_SUITE_P(HostProcessTest, HostScenario, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScenarioCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(HostProcessTest, BadInputsNameFileLineOrWindowsError) {
  struct Row {
    const char* registry;  // null: the test plug-in's registry; @PLUGIN@ stands for its DLL
    const char* scenario;
    const char* testCase;
    int exitCode;
    const char* error;
  };
  // One row per input format, the load of an application and the refusals of its start and stop.
  const Row rows[] = {
      {"name A\nstartup dll\nexec_file x.dll\nallow_stop TRUE\ntext_dir\nend\n", "open part p\n",
       "", 3, "protk.dat:5: \"text_dir\" needs a value"},
      {nullptr, "open part p\n\nopen part\n", "", 3, "s.scn:3: \"open\" takes 2 argument(s)"},
      {nullptr, "open part p\nexpect-count 2 ev=model_open\n", "", 1,
       "s.scn:2: expectation failed: expect-count 2 ev=model_open: found 1"},
      {"name A\nstartup dll\nexec_file C:\\no\\such\\plugin.dll\nend\n", "open part p\n", "", 4,
       "cannot load 'C:\\no\\such\\plugin.dll': Windows error 126"},
      {nullptr, "open part p\n", "initfail", 4,
       "user_initialize of 'KxhTest' returned 7: test start failure"},
      {"name KxhTest\nstartup dll\nexec_file @PLUGIN@\nallow_stop FALSE\nend\n",
       "plugin-stop KxhTest\n", "", 3, "s.scn:1: application KxhTest may not be stopped"},
      {nullptr, "plugin-start KxhTest\n", "", 3, "s.scn:1: application KxhTest is already running"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostProcess h("bad" + std::to_string(i));
    std::string reg = h.registryForTestPlugin();
    if (rows[i].registry) {
      std::string text = rows[i].registry;
      size_t at = text.find("@PLUGIN@");
      if (at != std::string::npos) text.replace(at, 8, h.binDir() + "\\kxh_test_plugin.dll");
      reg = h.write("protk.dat", text);
    }
    std::string scn = h.write("s.scn", rows[i].scenario);
    HostRun r = h.run({"--registry", reg, "--scenario", scn}, rows[i].testCase);
    EXPECT_EQ(r.exitCode, rows[i].exitCode) << "row " << i << ": " << r.errors;
    EXPECT_NE(r.errors.find(rows[i].error), std::string::npos) << "row " << i << ": " << r.errors;
  }
}

TEST(HostProcessTest, BadOptionsNameTheOption) {
  HostProcess h("options");
  struct Row {
    std::vector<std::string> args;
    const char* error;
  };
  const Row rows[] = {
      {{"--max-ms", "soon"}, "bad value 'soon' for --max-ms"},
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--registry", h.folder() + "\\none.dat"}, "none.dat: cannot open registry file"},
      {{"--scenario", h.folder() + "\\none.scn"}, "none.scn: cannot open scenario"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostRun r = h.run(rows[i].args);
    EXPECT_EQ(r.exitCode, 3) << "row " << i << ": " << r.errors;
    EXPECT_NE(r.errors.find(rows[i].error), std::string::npos) << "row " << i << ": " << r.errors;
  }
}

// The daemon steps drive the simulated controller's daemon in the plug-in scenarios; here they
// fail the run when the daemon refuses the line or is not there.
TEST(HostProcessTest, DaemonStepFailsOnAnErrorOrNoDaemon) {
  const struct {
    const char* start;
    const char* error;
  } rows[] = {
      {"daemon-start\n", "s.scn:2: daemon replied: error unknown command 'bogus'"},
      {"open part p\n", "s.scn:2: no daemon on control port"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostProcess h("ctrl" + std::to_string(i));
    const int port = 45000 + static_cast<int>((GetCurrentProcessId() * 4 + i * 3) % 4000);
    kxtest::ScopedEnv env({{"KX_DAEMON_CTRL_PORT", std::to_string(port)},
                           {"KX_DAEMON_PORT", std::to_string(port + 1)},
                           {"KX_HOST_NAV_PORT", std::to_string(port + 2)}});
    HostRun r =
        h.run({"--scenario", h.write("s.scn", std::string(rows[i].start) + "daemon bogus\n")});
    EXPECT_EQ(r.exitCode, 3) << "row " << i << ": " << r.errors;
    EXPECT_NE(r.errors.find(rows[i].error), std::string::npos) << "row " << i << ": " << r.errors;
  }
}

// "Event=3,Thread=2" as a map.
std::map<std::string, int> typeCounts(const std::string& text) {
  std::map<std::string, int> types;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    size_t eq = item.find('=');
    if (eq != std::string::npos) types[item.substr(0, eq)] = std::stoi(item.substr(eq + 1));
  }
  return types;
}

// What grew from `a` to `b`, as "Event=1,Thread=1" (types that shrank are left out).
std::string typesGained(const std::string& a, const std::string& b) {
  std::map<std::string, int> before = typeCounts(a);
  std::string text;
  for (auto& kv : typeCounts(b))
    if (kv.second > before[kv.first])
      text +=
          (text.empty() ? "" : ",") + kv.first + "=" + std::to_string(kv.second - before[kv.first]);
  return text;
}

TEST(HostProcessTest, ProcessCountsFollowAnApplicationsThreadsAndHandles) {
  HostProcess h("counts");
  const char* scn =
      "process-counts\n"
      "plugin-stop KxhTest\n"
      "process-counts\n"
      "plugin-start KxhTest\n"
      "plugin-stop KxhTest\n"
      "plugin-start KxhTest\n"
      "process-counts\n";
  struct Row {
    const char* testCase;
    int threadsWhileRunning;        // running minus stopped
    const char* typesWhileRunning;  // handle types running has more of than stopped
    int handlesGained;              // after two more starts
    const char* typesGained;
  };
  const Row rows[] = {
      {"", 0, "", 0, ""},
      {"worker", 1, "Event=1,Thread=1", 0, ""},
      {"handlekept", 0, "", 2, "Event=2"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostRun r = h.runScenario(scn, rows[i].testCase);
    EXPECT_EQ(r.exitCode, 0) << "row " << i << ": " << r.errors;
    std::vector<int> lines;
    for (int k = r.find("ev=process_counts"); k >= 0; k = r.find("ev=process_counts", k + 1))
      lines.push_back(k);
    ASSERT_EQ(lines.size(), 3u) << "row " << i;
    auto at = [&](size_t k, const char* key) { return std::stoi(r.field(lines[k], key)); };
    auto types = [&](size_t k) { return r.field(lines[k], "handle_types"); };
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_GT(at(k, "threads"), 0) << "row " << i;
      EXPECT_GT(at(k, "handles"), 0) << "row " << i;
      int typed = 0;
      for (auto& kv : typeCounts(types(k))) typed += kv.second;
      if (r.field(lines[k], "handle_source") == "probed") {
        EXPECT_EQ(typed, at(k, "handles")) << "row " << i << ": " << types(k);
      } else {
        EXPECT_EQ(r.field(lines[k], "handle_source"), "system") << "row " << i;
      }
    }
    EXPECT_EQ(at(0, "threads") - at(1, "threads"), rows[i].threadsWhileRunning) << "row " << i;
    EXPECT_EQ(typesGained(types(1), types(0)), rows[i].typesWhileRunning) << "row " << i;
    EXPECT_EQ(at(2, "threads"), at(0, "threads")) << "row " << i;
    EXPECT_EQ(at(2, "handles") - at(0, "handles"), rows[i].handlesGained) << "row " << i;
    EXPECT_EQ(typesGained(types(0), types(2)), rows[i].typesGained) << "row " << i;
  }
}

// The window watch sees windows of other threads and of the host's thread; it asks those of other
// threads to close and tells whether they stayed.
TEST(HostProcessTest, WindowWatchSeesWindowsAndAsksThemToClose) {
  HostProcess h("window_watch");
  HostRun r = h.runScenario(
      "wait-until ev=window_gone class=KxtThreadWindow\n"
      "wait 400\n",
      "window_thread window_ui");
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  const struct {
    const char* condition;
    int count;
  } rows[] = {
      {"ev=window_shown class=KxtThreadWindow ui_thread=false title=Kxt width=120 height=60 "
       "style=0x14CF0000",
       1},
      {"ev=window_shown class=KxtUiWindow ui_thread=true", 1},
      // Only the application's: none of the host's own windows (frame, dialog, control gallery).
      {"ev=window_shown", 2},
      {"ev=window_close_request class=KxtThreadWindow survived=false", 1},
      {"ev=window_close_request class=KxtUiWindow", 0},
      {"ev=window_gone class=KxtThreadWindow", 1},
      // Destroyed by the application's stop, after the scenario.
      {"ev=window_gone class=KxtUiWindow", 1},
      {"ev=fault", 0},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
    EXPECT_EQ(r.count(rows[i].condition), rows[i].count)
        << "row " << i << ": " << rows[i].condition;
}

}  // namespace
