// Reading the menu file back, and where the catalogue's DLLs and language come from.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "catalogue_paths.h"
#include "menu_file.h"

namespace {

TEST(MenuFileValue, CommandOfValue) {
  struct Row {
    const char* value;
    bool found;
    const char* command;
  } rows[] = {
      {"{}", false, ""},
      {"{+ 6}", false, ""},
      {"no brace", false, ""},
      {"", false, ""},
      {"{}Abc|Def|Ghi", true, "Abc"},
      {"{}Abc", true, "Abc"},
      {"{+ 6}KX_Toggle_Object_Move_Mode|Switches", true, "KX_Toggle_Object_Move_Mode"},
      {"{}ProCmdEnvMdlDisp*Hidden line|Grey.", true, "ProCmdEnvMdlDisp*Hidden line"},
      {"{}|only help", true, ""},
      {"}}x|", true, "}x"},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    std::string command = "unchanged";
    EXPECT_EQ(menuCommandOfValue(rows[i].value, &command), rows[i].found) << "row " << i;
    if (rows[i].found) {
      EXPECT_EQ(command, rows[i].command) << "row " << i;
    }
  }
}

TEST(MenuFileText, ListsInFileOrder) {
  using Names = std::vector<std::string>;
  const struct Row {
    std::string text;
    Names modes;
    Names commands;
  } rows[] = {
      {"# PTC Creo menubar file\r\n \r\n[Modes]\r\nSketcher  = 1\r\nPart      = 2\r\n"
       "Assembly  = 6\r\n \r\n[MenuBar]\r\n0Korvex   = {}\r\n"
       "1Toggle Scroll Mode= {}KX_Toggle_Scroll_Mode|Scrolls.\r\n"
       "1Toggle Move Mode= {+ 6}KX_Toggle_Object_Move_Mode|Moves.\r\n0VIEW     = {}\r\n"
       "1Shaded   = {}ProCmdEnvMdlDisp*Shading|Shows shaded.\r\n1Refit    = {}ProCmdViewRefit|\r\n"
       " ",
       {"Sketcher", "Part", "Assembly"},
       {"KX_Toggle_Scroll_Mode", "KX_Toggle_Object_Move_Mode", "ProCmdEnvMdlDisp*Shading",
        "ProCmdViewRefit"}},
      // Missing sections and garbage.
      {"", {}, {}},
      {"[MenuBar]\n1A = {}Cmd|h\n", {}, {"Cmd"}},
      {"[Modes]\nPart = 2\n", {"Part"}, {}},
      {std::string("\0\xff[Modes\n=\n", 10), {}, {}},
      {"[Modes]\nA = 1\nB = 2", {"A", "B"}, {}},  // no final line end
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    const MenuFileLists lists = parseMenuFileText(rows[i].text.data(), rows[i].text.size());
    EXPECT_EQ(lists.modeNames, rows[i].modes) << "row " << i;
    EXPECT_EQ(lists.menuCommands, rows[i].commands) << "row " << i;
  }
}

TEST(CataloguePaths, LoadPointWalk) {
  const std::set<std::string> folders = {
      "C:\\Creo\\Common Files\\text\\compiled_resource", "D:\\text\\compiled_resource",
      "E:\\a\\text\\compiled_resource", "E:\\a\\b\\text\\compiled_resource"};
  auto isDirectory = [&](const std::string& p) { return folders.count(p) != 0; };
  struct Row {
    const char* executable;
    const char* loadPoint;
  } rows[] = {
      {"C:\\Creo\\Common Files\\x86e_win64\\bin\\xtop.exe", "C:\\Creo\\Common Files"},
      {"C:\\Creo\\Common Files\\xtop.exe", "C:\\Creo\\Common Files"},
      {"D:\\x.exe", ""},       // never a drive root
      {"D:\\bin\\x.exe", ""},  // the walk ends at the drive
      {"E:\\a\\b\\x.exe", "E:\\a\\b"},
      {"E:\\a\\b\\c\\x.exe", "E:\\a\\b"},
      {"xtop.exe", ""},
      {"", ""},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i)
    EXPECT_EQ(findLoadPoint(rows[i].executable, isDirectory), rows[i].loadPoint) << "row " << i;
}

TEST(CataloguePaths, Language) {
  struct Row {
    const char* system;
    const char* lang;
    const char* proLang;
    const char* setting;
    const char* language;
  } rows[] = {
      {"German", nullptr, nullptr, "", "german"},
      {"German", "English", nullptr, "", "english"},
      {"German", nullptr, "french", "", "french"},
      {"German", "English", "French", "", "french"},
      {"German", "German", "French", "English", "english"},
      {"English", "", nullptr, "", ""},  // set but empty
      {"", nullptr, nullptr, "", ""},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i)
    EXPECT_EQ(
        chooseCatalogueLanguage(rows[i].system, rows[i].lang, rows[i].proLang, rows[i].setting),
        rows[i].language)
        << "row " << i;
}

}  // namespace
