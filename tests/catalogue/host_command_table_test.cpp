// Every command a catalogue built from the emulated host's installation offers is a command that
// host can run, with the argument the menu file gives it.
#include <gtest/gtest.h>

#include <string>

#include "api/host_commands.h"
#include "config_test_util.h"
#include "menu_file.h"

namespace {

TEST(HostCommandTable, CoversEveryCatalogueCommand) {
  const std::string build = KX_BUILD_DIR;
  std::string error;
  ASSERT_TRUE(HostCommands::load(build + "/text/host_commands.txt", &error)) << error;
  for (const char* language : {"english", "german", "french"}) {
    const std::string text = kxtest::readBinary(build + "/text/expected/Creo_" + language + ".mnu");
    const MenuFileLists lists = parseMenuFileText(text.data(), text.size());
    ASSERT_GT(lists.menuCommands.size(), 3000u) << language;
    EXPECT_EQ(lists.modeNames.size(), 23u) << language;
    // The first two are the plug-in's own, which it handles itself.
    EXPECT_EQ(lists.menuCommands[0], "KX_Toggle_Scroll_Mode") << language;
    EXPECT_EQ(lists.menuCommands[1], "KX_Toggle_Object_Move_Mode") << language;
    for (size_t i = 2; i < lists.menuCommands.size(); ++i) {
      const std::string& entry = lists.menuCommands[i];
      const size_t star = entry.find('*');
      const std::string name = entry.substr(0, star);
      const std::string arg = star == std::string::npos ? "" : entry.substr(star + 1);
      EXPECT_EQ(HostCommands::check(name, arg), "") << language << " entry " << i << ": " << entry;
    }
  }
}

}  // namespace
