// The daemon's configuration file: what the plug-in scenarios' configurations do not show. The
// assignments themselves are pressed in the daemon process test and the scenarios.
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
      {"[daemon]\ncolour = red\n", "unknown key 'colour'", 2},
      {"[device 99]\n", "'device' needs a number", 1},
      {"[daemon\n", "without ']'", 1},
      {"[buttons xtopCreo Default]\n1 = view:sideways\n", "unknown view command 'sideways'", 2},
      {"[buttons xtopCreo Default]\n1 = A\n\n1 = B\n", "assigned twice", 4},
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
