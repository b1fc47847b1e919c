// kx_daemon.exe as a process: button assignments through the menu file, the control interface's
// refusals, configuration errors. The legacy output, changed advanced settings and a menu file
// written after the start are the plug-in scenarios' (host navigation, buttons, first starts).
#include <windows.h>

#include <gtest/gtest.h>

#include "daemon_fixture.h"
#include "menu_file_sample.h"

namespace {

std::string buttonConfig(const std::string& menuPath) {
  return "[application xtopCreo]\n"
         "menu_file = " +
         menuPath +
         "\n"
         "[buttons xtopCreo Default]\n"
         "1 = KX_Toggle_Scroll_Mode\n"
         "2 = ProCmdViewRefit\n"
         "3 = view:front\n"
         "4 = ProCmdNotInTheMenu\n"
         "5 = ProCmdEnvMdlDisp*Hidden line\n"
         "[buttons xtopCreo Assembly]\n"
         "1 = KX_Toggle_Object_Move_Mode\n"
         "2 = view:top\n"
         "[buttons xtopCreo Part]\n"
         "3 = ProCmdModelOpen\n"
         "[buttons OtherApp Default]\n"
         "1 = view:bottom\n";
}

class Daemon : public DaemonTest {};

}  // namespace

TEST_F(Daemon, ButtonsFollowTheAnnouncedModeAndTheMenuFileIndex) {
  std::string menu = DaemonProcess::writeTemp("Creo.mnu", kMenuFileSample);
  std::string cfg = DaemonProcess::writeTemp("buttons.cfg", buttonConfig(menu));
  start({"--config", cfg});
  connect();
  struct Row {
    const char* mode;  // announced before the press; nullptr: none yet
    int button;
    std::string reply;
    int32_t code;  // -1: no event reaches the application
  } rows[] = {
      // The per-mode switch itself is the mode assignment scenario's; these are the resolutions
      // through the menu file and what reaches the application when none succeeds.
      {nullptr, 2, "ok sent 131108", APPL_FUNC_START + 4},
      {nullptr, 4, "ok unresolved ProCmdNotInTheMenu", -1},
      {nullptr, 5, "ok sent 131107", APPL_FUNC_START + 3},
      {nullptr, 9, "ok unassigned", -1},
      // Buttons the mode leaves out keep their "Default" assignment.
      {"Assembly", 3, "ok sent 131081", 0x20009},
      {"Sketcher", 2, "ok sent 131108", APPL_FUNC_START + 4},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const Row& r = rows[i];
    if (r.mode) {
      ASSERT_EQ(lib->setApplMode("Creo", r.mode), 0) << "row " << i;
      EXPECT_EQ(daemon.control("mode"), std::string("ok ") + r.mode) << "row " << i;
    }
    EXPECT_EQ(daemon.control("button " + std::to_string(r.button)), r.reply) << "row " << i;
    int32_t code = -1;
    bool got = nextCommand(code, r.code < 0 ? 300 : 10000);
    EXPECT_EQ(got, r.code >= 0) << "row " << i << ": code " << code;
    if (r.code >= 0) {
      EXPECT_EQ(code, r.code) << "row " << i;
    }
  }
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"button\"", "\"result\":\"unresolved\"",
                                 "\"command\":\"ProCmdNotInTheMenu\""}),
            1u);
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"button\"", "\"index\":4", "\"mode\":\"Default\""}), 1u);
}

TEST_F(Daemon, MalformedControlCommandsAreErrorsNamingTheCommand) {
  start();
  struct Row {
    std::string command;
    std::string fragment;
  } rows[] = {
      // An unknown command, a count and a range of arguments, an unknown device, a bad value.
      {"bogus 1", "unknown command 'bogus'"},
      {"motion 1 2", "usage: motion"},
      {"motion 1 2 3 4 5 40000 10", "usage: motion"},
      {"motion 1 2 3 4 5 6 10 7", "no device 7"},
      {"advanced refit=7", "bad setting 'refit=7'"},
      {"mode", "no registered application"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::string reply = daemon.control(rows[i].command);
    EXPECT_EQ(reply.rfind("error ", 0), 0u) << "row " << i << ": " << reply;
    EXPECT_NE(reply.find(rows[i].fragment), std::string::npos) << "row " << i << ": " << reply;
  }
  // Still serving after all of them.
  EXPECT_EQ(daemon.control("ping"), "ok");
  EXPECT_EQ(daemon.control("param 0 12"), "ok 1");
}

TEST_F(Daemon, BadConfigurationOrArgumentsStopTheStartNamingFileAndLine) {
  struct Row {
    std::string config;  // empty: no --config
    std::vector<std::string> args;
    std::string fragment;
  } rows[] = {
      {"[daemon]\ndevices = 2\n[device 0]\nlegacy_com1 = yes\n", {}, ":4: 'legacy_com1'"},
      {"", {"--devices", "x"}, "--devices needs a number"},
      {"", {"--frobnicate"}, "unknown option '--frobnicate'"},
      {"", {"--config", "C:\\no\\such.cfg"}, "C:\\no\\such.cfg: cannot open"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::vector<std::string> args = rows[i].args;
    std::string path;
    if (!rows[i].config.empty()) {
      path = DaemonProcess::writeTemp("bad" + std::to_string(i) + ".cfg", rows[i].config);
      args.insert(args.begin(), {"--config", path});
    }
    std::string output;
    int code = DaemonProcess::runToEnd(args, output);
    EXPECT_EQ(code, 2) << "row " << i << ": " << output;
    EXPECT_NE(output.find(rows[i].fragment), std::string::npos) << "row " << i << ": " << output;
    if (!path.empty()) {
      EXPECT_NE(output.find(path), std::string::npos) << "row " << i << ": " << output;
    }
  }
}
