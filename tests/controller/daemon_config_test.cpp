#include "daemon_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {
bool parse(const std::string& text, DaemonConfig& config, std::string& error) {
  std::istringstream in(text);
  return config.parse(in, "test.cfg", error);
}
}  // namespace

TEST(DaemonConfig, ReadsDevicesApplicationsAndButtons) {
  const char text[] =
      "# simulated controller\n"
      "[daemon]\n"
      "devices = 2\n"
      "\n"
      "[device 1]\n"
      "description = Second Cap\n"
      "legacy_com1 = 0\n"
      "rotation_mode = 3\n"
      "refit = 0\n"
      "[application xtopCreo]\n"
      "menu_file = C:\\menus\\Creo.mnu\n"
      "[buttons xtopCreo Default]\n"
      "1 = KX_Toggle_Scroll_Mode\n"
      "2 = view:front\n"
      "3 = code:0x20013\n"
      "4 = ProCmdEnvMdlDisp*Hidden line\n"
      "[buttons xtopCreo Assembly]\n"
      "1 = KX_Toggle_Object_Move_Mode\n";
  DaemonConfig config;
  std::string error;
  ASSERT_TRUE(parse(text, config, error)) << error;
  EXPECT_EQ(config.mDeviceCount, 2);
  EXPECT_EQ(config.device(1).description, "Second Cap");
  EXPECT_EQ(config.device(1).legacyCom1, 0);
  EXPECT_EQ(config.device(1).rotationMode, 3);
  EXPECT_EQ(config.device(1).refit, 0);
  // Unconfigured devices get defaults: LegacyCOM1 on.
  EXPECT_EQ(config.device(0).legacyCom1, 1);
  EXPECT_FALSE(config.device(0).description.empty());
  const ApplicationConfig& app = config.mApplications.at("xtopCreo");
  EXPECT_EQ(app.menuFile, "C:\\menus\\Creo.mnu");
  const auto& def = app.modes.at("Default");
  struct Row {
    int32_t button;
    ButtonBinding::Kind kind;
    std::string text;
    int32_t code;
  } rows[] = {
      {1, ButtonBinding::kCommand, "KX_Toggle_Scroll_Mode", 0},
      {2, ButtonBinding::kView, "front", 0x20009},
      {3, ButtonBinding::kCode, "code:0x20013", 0x20013},
      {4, ButtonBinding::kCommand, "ProCmdEnvMdlDisp*Hidden line", 0},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    auto it = def.find(rows[i].button);
    ASSERT_NE(it, def.end()) << "row " << i;
    EXPECT_EQ(it->second.kind, rows[i].kind) << "row " << i;
    EXPECT_EQ(it->second.text, rows[i].text) << "row " << i;
    if (rows[i].kind != ButtonBinding::kCommand) {
      EXPECT_EQ(it->second.code, rows[i].code) << "row " << i;
    }
  }
  EXPECT_EQ(app.modes.at("Assembly").at(1).text, "KX_Toggle_Object_Move_Mode");
}

TEST(DaemonConfig, ByteOrderMarkAndWindowsLineEndsAreAccepted) {
  DaemonConfig config;
  std::string error;
  ASSERT_TRUE(parse("\xEF\xBB\xBF# first line\r\n[daemon]\r\ndevices = 3\r\n", config, error))
      << error;
  EXPECT_EQ(config.mDeviceCount, 3);
}

// A relative menu file lies in the configuration's folder; environment variables are replaced.
TEST(DaemonConfig, MenuFilePaths) {
  _putenv_s("KX_TEST_PROFILE", "C:\\users\\tester");
  struct Row {
    std::string value;
    std::string path;
  } rows[] = {
      {"Creo.mnu", "C:\\cfg\\Creo.mnu"},
      {"%KX_TEST_PROFILE%\\Korvexpad\\Creo.mnu", "C:\\users\\tester\\Korvexpad\\Creo.mnu"},
      {"C:\\a%%b\\Creo.mnu", "C:\\a%b\\Creo.mnu"},
      {"C:\\50%\\Creo.mnu", "C:\\50%\\Creo.mnu"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    DaemonConfig config;
    config.mDirectory = "C:\\cfg\\";
    std::string error;
    ASSERT_TRUE(parse("[application A]\nmenu_file = " + rows[i].value + "\n", config, error))
        << "row " << i << ": " << error;
    EXPECT_EQ(config.mApplications.at("A").menuFile, rows[i].path) << "row " << i;
  }
  DaemonConfig config;
  std::string error;
  EXPECT_FALSE(parse("[application A]\nmenu_file = %KX_TEST_UNSET_VAR%\\x.mnu\n", config, error));
  EXPECT_EQ(error, "test.cfg:2: menu_file uses %KX_TEST_UNSET_VAR%, which is not set");
}

TEST(DaemonConfig, BadInputNamesFileAndLine) {
  struct Row {
    std::string text;
    std::string expected;  // fragment of the message after "test.cfg:<line>: "
    int line;
  } rows[] = {
      {"devices = 2\n", "outside of a section", 1},
      {"[daemon]\ndevices = many\n", "'devices' needs a number", 2},
      {"[daemon]\ndevices = 17\n", "from 0 to 16", 2},
      {"[daemon]\ncolour = red\n", "unknown key 'colour'", 2},
      {"[device 0]\nlegacy_com1 = 2\n", "'legacy_com1'", 2},
      {"[device 99]\n", "'device' needs a number", 1},
      {"[devices]\n", "unknown section", 1},
      {"[daemon\n", "without ']'", 1},
      {"[buttons xtopCreo]\n", "unknown section", 1},
      {"[buttons xtopCreo Default]\n1 = view:sideways\n", "unknown view command 'sideways'", 2},
      {"[buttons xtopCreo Default]\n0 = ProCmdA\n", "button number", 2},
      {"[buttons xtopCreo Default]\n1 =\n", "no assignment", 2},
      {"[buttons xtopCreo Default]\n1 = A\n\n1 = B\n", "assigned twice", 4},
      {"[buttons xtopCreo Default]\n2 = code:abc\n", "bad event code", 2},
      {"[application xtopCreo]\nmenu_file =\n", "empty menu_file", 2},
      {"[daemon]\njust words\n", "expected 'key = value'", 2},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    DaemonConfig config;
    std::string error;
    EXPECT_FALSE(parse(rows[i].text, config, error)) << "row " << i;
    std::string where = "test.cfg:" + std::to_string(rows[i].line) + ": ";
    EXPECT_EQ(error.rfind(where, 0), 0u) << "row " << i << ": " << error;
    EXPECT_NE(error.find(rows[i].expected), std::string::npos) << "row " << i << ": " << error;
  }
}

TEST(DaemonConfig, ExampleConfigurationLoads) {
  DaemonConfig config;
  std::string error;
  ASSERT_TRUE(config.load(KX_EXAMPLE_CONFIG, error)) << error;
  const ApplicationConfig& app = config.mApplications.at("xtopCreo");
  EXPECT_EQ(app.modes.at("Default").at(1).text, "KX_Toggle_Scroll_Mode");
  EXPECT_EQ(app.modes.at("Assembly").at(1).text, "KX_Toggle_Object_Move_Mode");
  // The plug-in's menu file under the user profile.
  ASSERT_NE(std::getenv("USERPROFILE"), nullptr);
  EXPECT_EQ(app.menuFile,
            std::string(std::getenv("USERPROFILE")) + "\\Korvexpad\\Applications\\Creo.mnu");
}
