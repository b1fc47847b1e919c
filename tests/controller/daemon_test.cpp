// kx_daemon.exe as a process: button assignment per mode, legacy output, control interface,
// configuration errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

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
      // Before any announcement the "Default" assignments hold.
      {nullptr, 1, "ok sent 131104", APPL_FUNC_START + 0},
      {nullptr, 2, "ok sent 131108", APPL_FUNC_START + 4},
      {nullptr, 3, "ok sent 131081", 0x20009},
      {nullptr, 4, "ok unresolved ProCmdNotInTheMenu", -1},
      {nullptr, 5, "ok sent 131107", APPL_FUNC_START + 3},
      {nullptr, 9, "ok unassigned", -1},
      {"Assembly", 1, "ok sent 131105", APPL_FUNC_START + 1},
      {"Assembly", 2, "ok sent 131083", 0x2000B},
      // Buttons the mode leaves out keep their "Default" assignment.
      {"Assembly", 3, "ok sent 131081", 0x20009},
      {"Part", 3, "ok sent 131106", APPL_FUNC_START + 2},
      {"Part", 1, "ok sent 131104", APPL_FUNC_START + 0},
      {"Sketcher", 2, "ok sent 131108", APPL_FUNC_START + 4},
      {"Default", 1, "ok sent 131104", APPL_FUNC_START + 0},
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

TEST_F(Daemon, AMenuFileWrittenAfterStartIsReadAtThePress) {
  std::string menu = DaemonProcess::tempPath("late.mnu");
  DeleteFileA(menu.c_str());
  start({"--config", DaemonProcess::writeTemp("late.cfg", buttonConfig(menu))});
  connect();
  EXPECT_EQ(daemon.control("button 2"), "ok unresolved ProCmdViewRefit");
  EXPECT_EQ(
      daemon.journalCount({"\"ev\":\"button\"", "\"result\":\"unresolved\"", "cannot be read"}),
      1u);
  std::ofstream(menu, std::ios::binary) << kMenuFileSample;
  EXPECT_EQ(daemon.control("button 2"), "ok sent 131108");
}

TEST_F(Daemon, EventsGoToTheApplicationInFront) {
  std::string menu = DaemonProcess::writeTemp("Creo.mnu", kMenuFileSample);
  start({"--config", DaemonProcess::writeTemp("route.cfg", buttonConfig(menu))});
  EXPECT_EQ(daemon.control("button 1"), "ok no-client");
  connect();
  // A second application registers over a raw connection and comes to the front.
  NetSocket other;
  ASSERT_TRUE(other.connectTcp(DaemonProcess::clientPort(), 2000));
  ASSERT_TRUE(other.sendAll("1 register OtherApp\n"));
  std::string line;
  ASSERT_EQ(other.readLine(line, 5000), 1);
  EXPECT_EQ(line, "r 1 0");
  EXPECT_EQ(daemon.control("button 1"), "ok sent 131096");  // OtherApp's own assignment
  ASSERT_EQ(other.readLine(line, 5000), 1);
  EXPECT_EQ(line, "e 131096 0 0 0 0 0 0");
  int32_t code;
  EXPECT_FALSE(nextCommand(code, 300)) << "the plug-in got " << code;
  EXPECT_EQ(daemon.control("focus xtopCreo"), "ok");
  EXPECT_EQ(daemon.control("button 1"), "ok sent 131104");
  EXPECT_TRUE(nextCommand(code));
  EXPECT_EQ(code, APPL_FUNC_START);
  EXPECT_EQ(daemon.control("status"),
            "ok clients=2 registered=xtopCreo,OtherApp devices=1 focus=xtopCreo");
}

TEST_F(Daemon, LegacyOutputFeedsTheHostOnlyWhileOn) {
  NetSocket host;
  ASSERT_TRUE(host.bindUdp(DaemonProcess::navPort())) << host.errorText();
  start();
  connect();
  struct Row {
    int32_t legacy;  // set through the library before the motion
    bool hostGetsMotion;
  } rows[] = {{1, true}, {0, false}, {1, true}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    int32_t value = rows[i].legacy;
    ASSERT_EQ(lib->setParameter(KX_PARAM_LEGACY_COM1, &value), 0) << "row " << i;
    while (!host.receiveFrom(50).empty()) {
    }
    ASSERT_EQ(daemon.control("motion 10 -20 30 -40 50 -60 600"), "ok") << "row " << i;
    int moving = 0, resting = 0;
    for (;;) {
      std::string d = host.receiveFrom(rows[i].hostGetsMotion ? 10000 : 1500);
      if (d.empty()) break;
      if (d == "motion 10 -20 30 -40 50 -60")
        ++moving;
      else if (d == "motion 0 0 0 0 0 0")
        ++resting;
      else
        ADD_FAILURE() << "row " << i << ": unexpected datagram '" << d << "'";
      if (resting) break;
    }
    if (rows[i].hostGetsMotion) {
      EXPECT_GE(moving, 1) << "row " << i;
      EXPECT_EQ(resting, 1) << "row " << i;
    } else {
      EXPECT_EQ(moving + resting, 0) << "row " << i;
    }
    // The application gets the motion either way.
    CtrlLibrary::Event e;
    EXPECT_TRUE(waitFor([&] { return lib->readEvent(e) == 0 && e.v[0] == 10 && e.v[5] == -60; }))
        << "row " << i;
  }
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"legacy\"", "\"state\":\"off\""}), 1u);
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"legacy\"", "\"state\":\"on\""}), 1u);
  EXPECT_GE(daemon.journalCount({"\"ev\":\"forward\"", "\"values\":[10,-20,30,-40,50,-60]"}), 2u);
}

TEST_F(Daemon, AdvancedSettingsChangesMakeClientsReread) {
  start();
  connect();
  struct Row {
    std::string command;
    std::string reply;
    std::vector<int32_t> codes;
    int32_t rotMode;
    unsigned char refit;
  } rows[] = {
      {"advanced rotation_mode=2", "ok changed 1", {KX_EV_ADVANCED_SETTINGS_1}, 2, 1},
      {"advanced refit=0", "ok changed 1", {KX_EV_ADVANCED_SETTINGS_2}, 2, 0},
      {"advanced refit=0", "ok changed 0", {}, 2, 0},
      {"advanced device=0 rotation_mode=5 refit=1",
       "ok changed 2",
       {KX_EV_ADVANCED_SETTINGS_1, KX_EV_ADVANCED_SETTINGS_2},
       5,
       1},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    EXPECT_EQ(daemon.control(rows[i].command), rows[i].reply) << "row " << i;
    for (int32_t expected : rows[i].codes) {
      int32_t code;
      ASSERT_TRUE(nextCommand(code)) << "row " << i;
      EXPECT_EQ(code, expected) << "row " << i;
    }
    int32_t code;
    EXPECT_FALSE(nextCommand(code, 200)) << "row " << i << ": extra code " << code;
    expectAdvanced(0, rows[i].rotMode, rows[i].refit, i);
  }
}

TEST_F(Daemon, DeviceCountAndStopStart) {
  start({"--devices", "3"});
  connect();
  int32_t count = -1;
  ASSERT_EQ(lib->devNum(count), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(daemon.control("devices 0"), "ok 0");
  ASSERT_EQ(lib->devNum(count), 0);
  EXPECT_EQ(count, 0);
  int32_t value;
  EXPECT_NE(lib->getParameter(12, &value), 0) << "no device, no parameter";
  EXPECT_EQ(daemon.control("devices 2"), "ok 2");
  ASSERT_EQ(lib->devNum(count), 0);
  EXPECT_EQ(count, 2);

  // Stop drops every client and refuses new ones until start.
  EXPECT_EQ(daemon.control("stop"), "ok");
  EXPECT_TRUE(waitFor([&] { return lib->devNum(count) != 0; }));
  EXPECT_NE(lib->connect(0, "xtopCreo"), 0);
  EXPECT_EQ(daemon.control("start"), "ok");
  EXPECT_EQ(lib->connect(0, "xtopCreo"), 0);
  EXPECT_EQ(daemon.control("restart"), "ok");
  EXPECT_TRUE(waitFor([&] { return lib->devNum(count) != 0; }));
  EXPECT_EQ(lib->connect(0, "xtopCreo"), 0);
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"disconnect\"", "daemon stop"}), 1u);
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"disconnect\"", "daemon restart"}), 1u);
}

TEST_F(Daemon, MalformedControlCommandsAreErrorsNamingTheCommand) {
  start();
  struct Row {
    std::string command;
    std::string fragment;
  } rows[] = {
      {"bogus 1", "unknown command 'bogus'"},
      {"motion 1 2", "usage: motion"},
      {"motion 1 2 3 4 5 6 0", "usage: motion"},
      {"motion 1 2 3 4 5 40000 10", "usage: motion"},
      {"motion 1 2 3 4 5 6 10 7", "no device 7"},
      {"button 0", "usage: button"},
      {"button x", "usage: button"},
      {"press", "usage: press"},
      {"event", "usage: event"},
      {"event zz", "usage: event"},
      {"event 1 2 3", "usage: event"},
      {"devices 99", "usage: devices"},
      {"param 0 13 1", "only parameter 12"},
      {"param 0 12 2", "usage: param"},
      {"advanced refit=7", "bad setting 'refit=7'"},
      {"advanced", "usage: advanced"},
      {"advanced device=4 refit=1", "no device 4"},
      {"release 5", "no device 5"},
      {"focus", "usage: focus"},
      {"mode", "no registered application"},
      {"ping extra", "usage: ping"},
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
      {"[buttons xtopCreo Default]\n1 = view:diagonal\n", {}, ":2: unknown view command"},
      {"", {"--devices", "x"}, "--devices needs a number"},
      {"", {"--port", "0"}, "--port needs a port number"},
      {"", {"--frobnicate"}, "unknown option '--frobnicate'"},
      {"", {"--config"}, "missing value for '--config'"},
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
