#include "menu_index.h"

#include <gtest/gtest.h>

#include <sstream>

// Numbering the menu bar's commands is the button scenarios' (ProCmdViewRefit is index 4).
TEST(MenuIndex, MissingSectionOrFileIsAnErrorNamingTheFile) {
  std::istringstream in("[Modes]\nPart = 2\n");
  MenuIndex menu;
  EXPECT_FALSE(menu.parse(in));
  std::string error;
  EXPECT_FALSE(menu.load("no_such_dir/Creo.mnu", error));
  EXPECT_NE(error.find("no_such_dir/Creo.mnu"), std::string::npos) << error;
}
