#include "menu_index.h"

#include <gtest/gtest.h>

#include <sstream>

#include "menu_file_sample.h"

TEST(MenuIndex, NumbersTheCommandsOfMenuBarAndSkipsMenus) {
  std::istringstream in(kMenuFileSample);
  MenuIndex menu;
  ASSERT_TRUE(menu.parse(in));
  struct Row {
    const char* command;
    int32_t index;
  } rows[] = {
      {"KX_Toggle_Scroll_Mode", 0},
      {"KX_Toggle_Object_Move_Mode", 1},
      {"ProCmdModelOpen", 2},
      {"ProCmdEnvMdlDisp*Hidden line", 3},
      {"ProCmdViewRefit", 4},
      {"ProCmdNotInMenuBar", -1},
      {"ProCmdmodelopen", -1},
      {"0Korvex", -1},
      {"", -1},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
    EXPECT_EQ(menu.indexOf(rows[i].command), rows[i].index)
        << "row " << i << ": " << rows[i].command;
  EXPECT_EQ(menu.commands().size(), 5u);
}

TEST(MenuIndex, MissingSectionOrFileIsAnErrorNamingTheFile) {
  std::istringstream in("[Modes]\nPart = 2\n");
  MenuIndex menu;
  EXPECT_FALSE(menu.parse(in));
  std::string error;
  EXPECT_FALSE(menu.load("no_such_dir/Creo.mnu", error));
  EXPECT_NE(error.find("no_such_dir/Creo.mnu"), std::string::npos) << error;
}
