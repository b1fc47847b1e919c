// The daemon's configuration file: bad input names file and line. What good files give (menu files
// under the profile or relative to the configuration, assignments) is the plug-in scenarios'.
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

TEST(DaemonConfig, BadInputNamesFileAndLine) {
  struct Row {
    std::string text;
    std::string expected;  // fragment of the message after "test.cfg:<line>: "
    int line;
  } rows[] = {
      {"devices = 2\n", "outside of a section", 1},
      {"[daemon]\ncolour = red\n", "unknown key 'colour'", 2},
      {"[application A]\nmenu_file = %KX_TEST_UNSET_VAR%\\x.mnu\n",
       "menu_file uses %KX_TEST_UNSET_VAR%, which is not set", 2},
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
