// Reading the menu file back, and where the catalogue's DLLs and language come from.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "catalogue_paths.h"
#include "menu_file.h"

namespace {

TEST(MenuFileValue, CommandOfValue) {
  // A value, whether it holds a command, and the command.
  const std::tuple<const char*, bool, const char*> rows[] = {
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
  for (const auto& [value, found, expected] : rows) {
    std::string command = "unchanged";
    EXPECT_EQ(menuCommandOfValue(value, &command), found) << value;
    if (found) {
      EXPECT_EQ(command, expected) << value;
    }
  }
}

TEST(MenuFileText, ListsInFileOrder) {
  using Names = std::vector<std::string>;
  // Text, modes, commands.
  const std::tuple<std::string, Names, Names> rows[] = {
      // A whole file as the plug-in writes it is every scenario's profile menu file; here missing
      // sections and garbage.
      {"", {}, {}},
      {"[MenuBar]\n1A = {}Cmd|h\n", {}, {"Cmd"}},
      {"[Modes]\nPart = 2\n", {"Part"}, {}},
      {std::string("\0\xff[Modes\n=\n", 10), {}, {}},
      {"[Modes]\nA = 1\nB = 2", {"A", "B"}, {}},  // no final line end
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto& [text, modes, commands] = rows[i];
    const MenuFileLists lists = parseMenuFileText(text.data(), text.size());
    EXPECT_EQ(lists.modeNames, modes) << "row " << i;
    EXPECT_EQ(lists.menuCommands, commands) << "row " << i;
  }
}

TEST(CataloguePaths, LoadPointWalk) {
  const std::set<std::string> folders = {
      "C:\\Creo\\Common Files\\text\\compiled_resource", "D:\\text\\compiled_resource",
      "E:\\a\\text\\compiled_resource", "E:\\a\\b\\text\\compiled_resource"};
  auto isDirectory = [&](const std::string& p) { return folders.count(p) != 0; };
  // Executable, load point.
  const std::pair<const char*, const char*> rows[] = {
      {"C:\\Creo\\Common Files\\x86e_win64\\bin\\xtop.exe", "C:\\Creo\\Common Files"},
      {"C:\\Creo\\Common Files\\xtop.exe", "C:\\Creo\\Common Files"},
      {"D:\\x.exe", ""},       // never a drive root
      {"D:\\bin\\x.exe", ""},  // the walk ends at the drive
      {"E:\\a\\b\\x.exe", "E:\\a\\b"},
      {"E:\\a\\b\\c\\x.exe", "E:\\a\\b"},
      {"xtop.exe", ""},
      {"", ""},
  };
  for (const auto& [executable, loadPoint] : rows)
    EXPECT_EQ(findLoadPoint(executable, isDirectory), loadPoint) << executable;
}

TEST(CataloguePaths, Language) {
  // The system's language, LANG and PRO_LANG (null: unset), the setting, and the language chosen.
  // The system's language alone, LANG over it, PRO_LANG alone and the setting over all are the
  // first-start scenarios' (german, english, without_language_dll, french).
  const std::tuple<const char*, const char*, const char*, const char*, const char*> rows[] = {
      {"German", "English", "French", "", "french"},
      {"English", "", nullptr, "", ""},  // set but empty
      {"", nullptr, nullptr, "", ""},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto [system, lang, proLang, setting, language] = rows[i];
    EXPECT_EQ(chooseCatalogueLanguage(system, lang, proLang, setting), language) << "row " << i;
  }
}

}  // namespace
