// The emulated host as a program: a test plug-in loaded from a registry file, driven by scenarios,
// observed through the journal and the exit code. Most cases carry their expectations in their
// scenario, so a failure names the scenario line; what only the finished journal shows (the stop,
// the exit) is checked afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "environment.h"
#include "host_process.h"

namespace {

struct ScenarioCase {
  const char* name;
  const char* testCase;  // KXH_CASE for the test plug-in
  const char* scenario;
  int exitCode = 0;
  std::vector<std::pair<int, const char*>> atExit = {};  // counts in the finished journal
  std::vector<const char*> order = {};  // the first matches of these come in this order
};

const ScenarioCase kCases[] = {
    {"lifecycle",
     "",
     "open part p1\n"
     "expect ev=note \"text~init argc=1 argv0=1 version=11.0.0.0 build=2024070\"\n",
     0,
     // Three registrations, one of them ignored; five notifications set and unset at the end.
     {{1, "ev=api_calls ProCmdOptionAdd=3 ProNotificationSet=5 ProNotificationUnset=5"},
      {0, "ev=fault"}},
     {"ev=plugin_started name=KxhTest", "ev=note text=terminate",
      "ev=plugin_stopped name=KxhTest terminate_called=true"}},
    {"leak",
     "leak",
     "open part p1\n",
     2,
     {{5, "ev=fault what=notification_left_set name=KxhTest"},
      {1, "ev=fault what=notification_left_set type=72"}}},
    {"menu", "",
     "open part p1\n"
     "menu-open KxTest\n"
     "menu KxTest \"Move Things\"\n"
     "open assembly a1\n"
     "menu-open KxTest\n"
     "menu KxTest \"Kxt Move\"\n"
     "wait-until ev=command route=macro\n"
     "menu-open KxTest\n"
     "expect ev=menubar \"menus=File,Edit,View,Insert,Analysis,Info,Applications,Tools,Window,"
     "Kx Test Menu,Help\"\n"
     "expect ev=note \"text=cmd add=0 dup=0 same_id=1 scroll=0\"\n"
     "expect ev=note \"text=menu add=0 bad_neighbour=-4 item1=0 item2=0 bad_parent=-4\"\n"
     "expect ev=note \"text=action move=1 macro_result=0\"\n"
     "expect-none ev=note \"text~second registration\"\n"
     "# In a part the move button is offered but not available, and not checked.\n"
     "expect-count 2 ev=menu_state \"item=Kxt Move\" access=1 enabled=false checked=false\n"
     "expect-count 1 ev=menu_click_refused \"item=Move Things\"\n"
     "expect-count 2 ev=menu_state \"item=Kxt Move\" access=3 checked=false\n"
     "expect-count 1 ev=menu_state \"item=Kxt Move\" access=3 checked=true\n"
     "expect ev=menu_state \"item=Kxt Scroll\" access=3\n"
     "expect-count 1 ev=action_cb name=Kxt_Move route=menu\n"
     "expect ev=value_cb name=Kxt_Move set=true\n"
     "expect ev=label \"key=Kxt Move\" source=message_file\n"
     "expect ev=label \"key=Kxt Scroll\" source=missing_key\n"
     "expect-count 1 ev=command_add name=Kxt_Move ignored=true\n"},
    {"macro",
     "",
     "open assembly a1\n"
     "edit extrude\n"
     "menu KxTest \"Kxt Move\"\n"
     "wait-until ev=command route=macro\n"
     "menu KxTest \"Kxt Scroll\"\n"
     "wait-until ev=command_error route=macro\n"
     "expect ev=note \"text=scroll action macro_result=0 malformed_result=-2\"\n"
     "expect-count 1 ev=user_edit undo_depth=1\n"
     "expect-count 1 ev=command_error name=ProCmdNoSuchThing route=macro "
     "\"message=Command ProCmdNoSuchThing does not exist.\"\n"
     "expect-count 1 ev=macro_rejected\n",
     0,
     {},
     // The macro runs only after the callback returned.
     {"ev=macro_queued in_callback=true", "ev=note \"text=action end\"",
      "ev=action_done name=Kxt_Move",
      "ev=command name=ProCmdEnvMdlDisp arg=Wireframe route=macro undo=cleared undo_depth=0"}},
    {"select",
     "select",
     "open assembly a1\n"
     "select 7/11\n"
     "select-item DTM1\n"
     "select 6\n"
     "popup open\n"
     "popup close\n"
     "select-clear\n"
     "popup open\n"
     "expect ev=note \"text=sel err=0 size_err=0 n=3 bogus_size=-2\"\n"
     "expect ev=note \"text=sel 0 path_err=0 levels=2 ids=7/11 owner_is_current=1\"\n"
     "expect ev=note \"text=sel 1 path_err=0 levels=0 ids= owner_is_current=1\"\n"
     "expect ev=note \"text=sel 2 path_err=0 levels=1 ids=6 owner_is_current=1\"\n"
     "expect ev=note \"text=comp 7 init=0 get=0 origin=0,40,0\"\n"
     "expect ev=note \"text=comp 7 set=0 regen=0 now=1,42,3\"\n"
     "expect ev=note \"text=comp 6 init=0 get=0 origin=50,0,0\"\n"
     "expect ev=note \"text=comp 6 set=0 regen=0 now=51,2,3\"\n"
     "expect ev=note \"text=missing init=-4\"\n"
     "expect ev=note text=refresh=0\n"
     "expect ev=note \"text=sel err=-4 size_err=-1 n=-1 bogus_size=-2\"\n"
     "expect-count 1 ev=placement_set component=7 path=7/11 dynpos=true\n"
     "expect-count 1 ev=regenerate component=6 pending_placement=true\n"
     "expect-count 2 ev=dynpos on=true\n"
     "expect-count 2 ev=dynpos on=false\n"
     "expect-count 1 ev=selection_get count=3 unfreed_arrays=1\n",
     0,
     {{1, "ev=host_exit unfreed_arrays=1"}}},
    {"view", "view,nomodel",
     "popup open\n"
     "open part p1\n"
     "popup open\n"
     "expect ev=note \"text=nomodel mdl=-8 mode=-8 window=-8 sel=-4 sel_null=1 view=-8\"\n"
     "expect ev=note \"text=nomodel refit=-8 refresh=-8 section=0/0 null_mode=-2\"\n"
     "expect ev=note \"text=view get=0 diag=1,1,1\"\n"
     "expect ev=note \"text=view set=0 roundtrip=0 trf=0 out=0,0,-1 by_model=0\"\n"
     "expect ev=note \"text=view refit=0 refresh=0 refresh_bad=-4 bad_view=-2\"\n"
     "expect ev=note \"text=after refit translation=0,0,0\"\n"
     "expect-count 1 ev=view_set window=1\n"
     "expect-count 1 ev=refit window=1\n"
     "expect-count 1 ev=refresh window=1 requested=-1\n"},
    {"notify",
     "unset41",
     "open part p1\n"
     "new assembly a2\n"
     "window 1\n"
     "sketch on\n"
     "window 2\n"
     "window 1\n"
     "open drawing d3\n"
     "popup open\n"
     "popup close\n"
     "expect ev=note \"text=unset41=0 again=-4\"\n"
     "expect ev=note text=notify73\n"
     "expect ev=note \"text=notify24 window=1/0 mode=1/0 sketch=0/0\"\n"
     "expect ev=note \"text=notify24 window=2/0 mode=5/0 sketch=0/0\"\n"
     "expect ev=note \"text=notify24 window=1/0 mode=1/0 sketch=1/0\"\n"
     "expect ev=note \"text=notify24 window=3/0 mode=6/0 sketch=0/0\"\n"
     "expect-count 1 ev=notify type=41 handled=false\n"
     "expect-count 6 ev=notify type=24 handled=true\n"
     "expect-count 1 ev=notify type=72 handled=true\n"
     "expect-count 1 ev=notify type=73 handled=true\n",
     0,
     // Unset twice at the start and once more at the stop.
     {{2, "ev=notify_unset type=41 was_set=false"}, {1, "ev=notify_unset type=24 was_set=true"}},
     // Retrieved comes before window changed.
     {"ev=note text=notify18", "ev=note \"text~notify24\""}},
    {"thread",
     "thread",
     "open part p1\n"
     "popup open\n"
     "expect ev=note \"text=thread result=-1\"\n"
     "expect-count 1 ev=fault what=foreign_thread function=ProModeCurrentGet\n",
     2,
     {{1, "ev=host_exit faults=1 exit_code=2"}}},
    {"scroll", "scroll,invisible",
     "open part p1\n"
     "pointer tree\n"
     "popup open\n"
     "pointer list\n"
     "scroll-state\n"
     "popup open\n"
     "scroll-state\n"
     "menu-open KxTest\n"
     "menu KxTest \"Kxt Scroll\"\n"
     "expect ev=note \"text=scrolled SysTreeView32\"\n"
     "expect ev=note \"text=scrolled ListBox\"\n"
     "expect-count 1 ev=scroll control=tree msg=vscroll pos=5\n"
     "expect-count 1 ev=scroll control=list msg=vscroll pos=5\n"
     "expect-count 1 ev=scroll_state tree_pos=5 list_pos=0\n"
     "expect-count 1 ev=scroll_state tree_pos=5 list_pos=5\n"
     "expect-count 2 ev=menu_state \"item=Kxt Scroll\" visible=false\n"
     "expect-count 1 ev=menu_click_refused \"item=Kxt Scroll\"\n"
     "expect-none ev=action_cb name=Kxt_Scroll\n"},
    // The panel's controls move like the system's, and the journal tells sent line steps from a
    // posted wheel notch with its delta and position. Over the group frame WindowFromPoint names
    // the frame, not the control below it.
    {"gallery", "scroll,wheel",
     "open part p1\n"
     "foreground gallery\n"
     "pointer listview\n"
     "popup open\n"
     "pointer edit 20 30\n"
     "popup open\n"
     "pointer treeview\n"
     "popup open\n"
     "pointer browser 30 40\n"
     "popup open\n"
     "pointer gxwnd 20 20\n"
     "popup open\n"
     "scroll-state\n"
     "expect-count 5 ev=scroll control=listview msg=vscroll code=1 delivery=sent\n"
     "expect-count 1 ev=scroll control=listview msg=vscroll n=5 pos_before=4 pos=5 max=399\n"
     "expect-count 1 ev=scroll control=listview msg=wheel delivery=posted delta=-120 pos_before=5 "
     "pos=8\n"
     "expect-count 1 ev=scroll control=edit msg=vscroll n=5 pos=5 max=300 hmax>0\n"
     "expect-count 1 ev=scroll control=edit msg=wheel rel_x=20 rel_y=30 delivery=posted\n"
     "expect-count 1 ev=scroll control=treeview msg=vscroll n=5 pos=5 max=30 page=3\n"
     "expect-count 1 ev=scroll control=browser msg=wheel delta=-120 rel_x=30 rel_y=40 "
     "delivery=posted pos_before=5 pos=8 max=2500\n"
     "expect-count 1 ev=pointer control=gxwnd under=KxGroupFrame\n"
     "expect ev=note \"text=scrolled KxGroupFrame\"\n"
     "expect-none ev=scroll control=gxwnd\n"
     "expect-count 1 ev=scroll_state listview_pos=8 edit_pos=8 treeview_pos=8 browser_pos=8 "
     "gxwnd_pos=0\n"},
    {"restart",
     "",
     "open assembly a1\n"
     "menu-open KxTest\n"
     "plugin-stop KxhTest\n"
     "menu-open KxTest\n"
     "menu KxTest \"Kxt Move\"\n"
     "new part p2\n"
     "plugin-start KxhTest\n"
     "window 1\n"
     "menu KxTest \"Kxt Move\"\n"
     "wait-until ev=command route=macro\n"
     "expect-count 2 ev=plugin_started name=KxhTest\n"
     "expect-count 1 ev=commands_detached count=2\n"
     "expect-count 2 ev=menu_state \"item=Kxt Move\" visible=false\n"
     "expect-count 1 ev=menu_click_refused \"item=Kxt Move\"\n"
     "expect-count 1 ev=notify type=41 handled=false\n"
     "expect-count 1 ev=command_add name=Kxt_Move reattached=true\n"
     "expect-count 1 ev=action_cb name=Kxt_Move route=menu\n",
     0,
     {{2, "ev=plugin_stopped name=KxhTest"}, {2, "ev=commands_detached count=2"}, {0, "ev=fault"}}},
};

void PrintTo(const ScenarioCase& c, std::ostream* os) { *os << c.name; }

class HostScenario : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(HostScenario, Runs) {
  const ScenarioCase& c = GetParam();
  HostProcess h(c.name);
  // The test plug-in's message file: labels of its menu items come from here.
  CreateDirectoryA((h.folder() + "\\usascii").c_str(), nullptr);
  h.write("usascii\\kxtest.txt", "\nKxTest\nKx Test Menu\n#\n#\n\nKxt Move\nMove Things\n\n#\n");
  HostRun r = h.runScenario(c.scenario, c.testCase);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.errors;
  for (size_t i = 0; i < c.atExit.size(); ++i)
    EXPECT_EQ(r.count(c.atExit[i].second), c.atExit[i].first)
        << "at exit, row " << i << ": " << c.atExit[i].second;
  int last = -1;
  for (size_t i = 0; i < c.order.size(); ++i) {
    int at = r.find(c.order[i]);
    EXPECT_GT(at, last) << "order, row " << i << ": " << c.order[i];
    last = at;
  }
}

INSTANTIATE_TEST_SUITE_P(HostProcessTest, HostScenario, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScenarioCase>& info) {
                           return std::string(info.param.name);
                         });

// A socket address on this machine, with Winsock started.
sockaddr_in loopback(int port) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

TEST(HostProcessTest, MapkeyReplaysTrailFilesAndKeepsUndo) {
  struct Row {
    const char* trail;  // null: the file is missing
    const char* expect;
  };
  const Row rows[] = {
      {"!trail file version No. 1500\r\n~ Command `ProCmdEnvMdlDisp` `Hidden line`;\r\n"
       "!End of Trail File\r\n",
       "expect ev=trail_replay steps=1\n"
       "expect-count 1 ev=command name=ProCmdEnvMdlDisp \"arg=Hidden line\" route=trail undo=kept "
       "undo_depth=2\n"},
      {"trail file version 1500\r\n~ Command `ProCmdEnvMdlDisp` `Hidden line`;\r\n",
       "expect ev=trail_error \"error~not a trail file header\"\n"
       "expect-none ev=command route=trail\n"},
      {nullptr,
       "expect ev=trail_error \"error~cannot open trail file\"\n"
       "expect-none ev=command route=trail\n"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostProcess h("mapkey" + std::to_string(i));
    std::string trail = h.folder() + "\\korvex-trail.txt";
    if (rows[i].trail) h.write("korvex-trail.txt", rows[i].trail);
    kxtest::ScopedEnv env({{"KXH_TRAIL", trail}});
    HostRun r = h.runScenario(std::string("open part p1\n"
                                          "edit extrude\n"
                                          "edit round\n"
                                          "keys akt\n"
                                          "wait-until ev=dialog_close\n"
                                          "expect ev=note \"text=mapkey result=0 malformed=-2 "
                                          "no_steps=-2\"\n"
                                          "expect-count 1 ev=mapkey_run keys=kt\n"
                                          "expect-count 3 ev=key_msg msg=char\n"
                                          "expect-none ev=command undo=cleared\n") +
                                  rows[i].expect,
                              "mapkey");
    EXPECT_EQ(r.exitCode, 0) << "row " << i << ": " << r.errors;
  }
}

TEST(HostProcessTest, BadInputsNameFileLineOrWindowsError) {
  struct Row {
    const char* registry;  // null: the test plug-in's registry; @PLUGIN@ stands for its DLL
    const char* scenario;
    const char* testCase;
    int exitCode;
    const char* error;
  };
  const Row rows[] = {
      {"name A\nstartup dll\nexec_file x.dll\nallow_stop TRUE\ntext_dir\nend\n", "open part p\n",
       "", 3, "protk.dat:5: \"text_dir\" needs a value"},
      {nullptr, "open part p\n\nopen part\n", "", 3, "s.scn:3: \"open\" takes 2 argument(s)"},
      {nullptr, "open part p\nwindow 5\n", "", 3, "s.scn:2: no window 5"},
      {nullptr, "open part p\nmenu KxTest NoSuchItem\n", "", 3, "s.scn:2: no item"},
      {nullptr, "open part p\nexpect ev=model_open type=assembly\n", "", 1,
       "s.scn:2: expectation failed: expect ev=model_open type=assembly: found 0"},
      {nullptr, "open part p\nexpect-count 2 ev=model_open\n", "", 1,
       "s.scn:2: expectation failed: expect-count 2 ev=model_open: found 1"},
      {nullptr, "open part p\nexpect-none ev=model_open\n", "", 1,
       "s.scn:2: expectation failed: expect-none ev=model_open: found 1"},
      {nullptr, "wait-until within 300 ev=never\n", "", 1,
       "s.scn:1: expectation failed: wait-until ev=never did not hold within 300 ms"},
      {"name A\nstartup dll\nexec_file C:\\no\\such\\plugin.dll\nend\n", "open part p\n", "", 4,
       "cannot load 'C:\\no\\such\\plugin.dll': Windows error 126"},
      {nullptr, "open part p\n", "initfail", 4,
       "user_initialize of 'KxhTest' returned 7: test start failure"},
      {"name KxhTest\nstartup dll\nexec_file @PLUGIN@\nallow_stop FALSE\nend\n",
       "plugin-stop KxhTest\n", "", 3, "s.scn:1: application KxhTest may not be stopped"},
      {nullptr, "plugin-start KxhTest\n", "", 3, "s.scn:1: application KxhTest is already running"},
      {nullptr, "plugin-stop Other\n", "", 3, "s.scn:1: application Other is not running"},
      {nullptr, "plugin-stop KxhTest\nplugin-start Other\n", "", 3,
       "s.scn:2: no application Other in the registry file"},
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
      {{"--commands", h.folder() + "\\none.txt"}, "none.txt: cannot open command list"},
      {{"--registry", h.folder() + "\\none.dat"}, "none.dat: cannot open registry file"},
      {{"--scenario", h.folder() + "\\none.scn"}, "none.scn: cannot open scenario"},
      {{"--summary", h.folder() + "\\none.jsonl"}, "cannot open journal"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostRun r = h.run(rows[i].args);
    EXPECT_EQ(r.exitCode, 3) << "row " << i << ": " << r.errors;
    EXPECT_NE(r.errors.find(rows[i].error), std::string::npos) << "row " << i << ": " << r.errors;
  }
}

TEST(HostProcessTest, NavigationDatagramsTurnTheCurrentView) {
  HostProcess h("nav");
  int port = 40000 + static_cast<int>(GetCurrentProcessId() % 5000);
  kxtest::ScopedEnv env({{"KX_HOST_NAV_PORT", std::to_string(port)}});
  std::string scn = h.write("s.scn",
                            "open part p1\n"
                            "wait-until within 60000 ev=nav source=udp applied=true tx=10 ty=-5 "
                            "rz=300 \"view~[0.99\"\n"
                            "wait-until within 60000 ev=nav_bad \"datagram=motion 1 2 three\"\n");
  std::atomic<bool> stop{false};
  std::thread sender([&]() {
    sockaddr_in to = loopback(port);
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    for (; !stop; Sleep(100))
      for (const char* d : {"motion 10 -5 0 0 0 300", "motion 1 2 three"})
        sendto(s, d, static_cast<int>(strlen(d)), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    closesocket(s);
  });
  HostRun r = h.run({"--scenario", scn});
  stop = true;
  sender.join();
  EXPECT_EQ(r.exitCode, 0) << r.errors;
}

// Screenshots go to the host's folder, the first with the Help menu open on the screen; the
// pictures differ, and the menu is closed again without a click.
TEST(HostProcessTest, WindowTreePointerScreenshotsAndSummary) {
  HostProcess h("tree");
  HostRun r = h.runScenario(
      "open assembly a1\n"
      "pointer tree\n"
      "pointer list\n"
      "pointer toolbar\n"
      "pointer graphics\n"
      "foreground dialog\n"
      "foreground other\n"
      "foreground main\n"
      "screenshot open.png Help\n"
      "screenshot closed.png\n"
      "expect-count 1 ev=windows graphics=PGLWindow graphics_depth=4 tree_items>299\n"
      "expect-count 1 ev=pointer control=tree under=SysTreeView32\n"
      "expect-count 1 ev=pointer control=list under=ListBox\n"
      "expect-count 1 ev=pointer control=toolbar under=ToolbarWindow32\n"
      "expect-count 1 ev=pointer control=graphics under=PGLWindow\n"
      "expect-count 1 ev=foreground target=dialog class=KxFloatingDialog\n"
      "expect-count 1 ev=foreground target=other class=KxOtherApp own_process=false\n"
      "expect-count 1 ev=foreground target=main class=KxCreoFrame own_process=true\n"
      "expect-count 1 ev=screenshot file=open.png menu=Help\n"
      "expect-count 1 ev=screenshot file=closed.png\n"
      "expect-none ev=menu_click\n");
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  auto bytes = [&](const char* name) {
    std::ifstream in(h.folder() + "\\" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  std::string withMenu = bytes("open.png"), without = bytes("closed.png");
  EXPECT_FALSE(withMenu.empty()) << "no screenshot of the open menu";
  EXPECT_FALSE(without.empty()) << "no screenshot after it";
  EXPECT_NE(withMenu, without);
  // The plug-in finds the journaled graphics window four levels down.
  std::string pgl = r.field(r.find("ev=windows"), "graphics_hwnd");
  EXPECT_EQ(r.count("ev=note \"text=pgl=" + pgl + " depth=4\""), 1) << pgl;

  std::string saved = h.folder() + "\\saved.jsonl";
  ASSERT_TRUE(CopyFileA(r.journalPath.c_str(), saved.c_str(), FALSE));
  HostRun summary = h.run({"--summary", saved});
  EXPECT_EQ(summary.exitCode, 0) << summary.errors;
  EXPECT_NE(summary.output.find("Events by kind:"), std::string::npos) << summary.output;
  EXPECT_NE(summary.output.find("model_open"), std::string::npos) << summary.output;

  HostRun unknown = h.runScenario("screenshot open.png Nowhere\n");
  EXPECT_EQ(unknown.exitCode, 3) << unknown.errors;
  EXPECT_NE(unknown.errors.find("no menu \"Nowhere\""), std::string::npos) << unknown.errors;
}

// A daemon started, commanded, killed and started again with a journal the scenario names; a step
// with no daemon behind the port ends the run, naming its line.
TEST(HostProcessTest, ControllerStepsDriveTheDaemon) {
  HostProcess h("daemon");
  if (GetFileAttributesA((h.binDir() + "\\kx_daemon.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "kx_daemon.exe is not built";
  int base = 41000 + static_cast<int>(GetCurrentProcessId() % 3000) * 3;
  kxtest::ScopedEnv ports({{"KX_DAEMON_PORT", std::to_string(base)},
                           {"KX_DAEMON_CTRL_PORT", std::to_string(base + 1)},
                           {"KX_HOST_NAV_PORT", std::to_string(base + 2)}});
  HostRun r =
      h.run({"--scenario", h.write("s.scn",
                                   "open part p1\n"
                                   "daemon-start --devices 1\n"
                                   "daemon ping\n"
                                   "daemon motion 0 0 0 0 0 200 400\n"
                                   "wait-until daemon within 10000 ev=cap\n"
                                   "wait-until within 30000 ev=nav source=udp rz=200\n"
                                   "expect daemon ev=start\n"
                                   "expect-count 1 ev=daemon_command command=ping reply=ok\n"
                                   "daemon-kill\n"
                                   "daemon-start --journal own.jsonl --devices 2\n"
                                   "daemon ping\n"
                                   "wait-until daemon ev=start devices=2\n"
                                   "expect-none daemon ev=start devices=1\n"
                                   "daemon journal\n"
                                   "daemon-kill\n"
                                   "daemon ping\n")});
  EXPECT_EQ(r.exitCode, 3) << r.errors;
  EXPECT_NE(r.errors.find("s.scn:16: no daemon on control port"), std::string::npos) << r.errors;
  EXPECT_EQ(r.count("ev=daemon_kill"), 2);
  EXPECT_EQ(r.count("ev=expect_failed"), 0);
  // The first start journals beside the host's journal, the second where the scenario said.
  const std::string journals[] = {h.folder() + "\\journal-daemon.jsonl",
                                  h.folder() + "\\own.jsonl"};
  for (int i = 0, at = -1; i < 2; ++i) {
    at = r.find("ev=daemon_start", at + 1);
    ASSERT_GE(at, 0) << "row " << i;
    EXPECT_EQ(r.field(at, "journal"), journals[i]) << "row " << i;
    EXPECT_NE(GetFileAttributesA(journals[i].c_str()), INVALID_FILE_ATTRIBUTES)
        << "row " << i << ": the daemon left no journal there";
  }
  const std::string reply = r.field(r.find("ev=daemon_command command=journal"), "reply");
  EXPECT_NE(reply.find("own.jsonl"), std::string::npos) << reply;
}

// A stand-in for the daemon's control port: answers every line with `reply`, or stays silent.
class FakeControlPort {
 public:
  FakeControlPort(int port, const std::string& reply) : mReply(reply) {
    sockaddr_in addr = loopback(port);
    mListen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    bind(mListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(mListen, 4);
    mThread = std::thread([this]() {
      SOCKET c = accept(mListen, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      char buf[256];
      recv(c, buf, sizeof buf, 0);
      if (!mReply.empty()) send(c, mReply.c_str(), static_cast<int>(mReply.size()), 0);
      // Held open until the test ends, so a silent port stays silent.
      while (!mStop) Sleep(20);
      closesocket(c);
    });
  }
  ~FakeControlPort() {
    mStop = true;
    closesocket(mListen);
    mThread.join();
  }

 private:
  std::string mReply;
  SOCKET mListen;
  std::thread mThread;
  std::atomic<bool> mStop{false};
};

TEST(HostProcessTest, DaemonStepFailsOnErrorOrSilence) {
  struct Row {
    const char* reply;  // "" : silent
    int exitCode;
    const char* error;
  };
  const Row rows[] = {
      {"ok 3\n", 0, ""},
      {"error unknown command 'bogus'\n", 3,
       "s.scn:2: daemon replied: error unknown command 'bogus'"},
      {"okay\n", 3, "s.scn:2: daemon replied: okay"},
      {"", 3, "s.scn:2: no reply from the daemon within 5000 ms"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    HostProcess h("ctrl" + std::to_string(i));
    int port = 45000 + static_cast<int>((GetCurrentProcessId() * 4 + i) % 4000);
    kxtest::ScopedEnv env({{"KX_DAEMON_CTRL_PORT", std::to_string(port)}});
    FakeControlPort fake(port, rows[i].reply);
    HostRun r = h.run({"--scenario", h.write("s.scn", "open part p\ndaemon bogus\n")});
    EXPECT_EQ(r.exitCode, rows[i].exitCode) << "row " << i << ": " << r.errors;
    EXPECT_NE(r.errors.find(rows[i].error), std::string::npos) << "row " << i << ": " << r.errors;
    EXPECT_EQ(r.count("ev=daemon_command command=bogus"), 1) << "row " << i;
  }
}

TEST(HostProcessTest, RegistryFromTheWorkingFolderAndAddedCommands) {
  HostProcess h("workdir");
  h.registryForTestPlugin();  // protk.dat in the folder the host runs in
  std::string commands = h.write("commands.txt", "# from the catalogue\nProCmdKxExtra|Fast|Slow\n");
  std::string scn = h.write("s.scn",
                            "command ProCmdKxExtra Fast\n"
                            "command ProCmdKxExtra Medium\n"
                            "expect ev=plugin_started name=KxhTest\n");
  HostRun r = h.run({"--scenario", scn, "--commands", commands});
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  EXPECT_EQ(r.count("ev=command name=ProCmdKxExtra arg=Fast"), 1);
  EXPECT_EQ(r.count("ev=command_error \"message=Invalid argument 'Medium' for command "
                    "ProCmdKxExtra.\""),
            1);
  HostRun without = h.run({"--scenario", scn});
  EXPECT_EQ(without.exitCode, 0) << without.errors;
  EXPECT_EQ(without.count("ev=command_error \"message=Command ProCmdKxExtra does not exist.\""), 2);
  std::string bad = h.write("bad.txt", "ProCmdOk\nProCmd `Quoted`\n");
  HostRun refused = h.run({"--scenario", scn, "--commands", bad});
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_NE(refused.errors.find("bad.txt:2: bad command name"), std::string::npos)
      << refused.errors;
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
