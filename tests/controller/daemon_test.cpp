// kx_daemon.exe as a process: the control interface's refusals and configuration errors. Buttons
// resolved through the menu file and the announced mode, the legacy output, changed advanced
// settings and a menu file written after the start are the plug-in scenarios'.
#include <windows.h>

#include <gtest/gtest.h>

#include "daemon_fixture.h"

namespace {

class Daemon : public DaemonTest {};

}  // namespace

TEST_F(Daemon, MalformedControlCommandsAreErrorsNamingTheCommand) {
  start();
  struct Row {
    std::string command;
    std::string fragment;
  } rows[] = {
      // An unknown command, a count and a range of arguments, an unknown device, a bad value.
      {"bogus 1", "unknown command 'bogus'"},         {"motion 1 2", "usage: motion"},
      {"motion 1 2 3 4 5 40000 10", "usage: motion"}, {"motion 1 2 3 4 5 6 10 7", "no device 7"},
      {"advanced refit=7", "bad setting 'refit=7'"},  {"mode", "no registered application"},
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
