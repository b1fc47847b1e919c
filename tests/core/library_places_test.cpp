// The places the controller library is looked for: never the current folder.
#include "library_places.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(LibraryPlacesTest, BesideThePluginThenSystemThenPathNeverTheCurrentFolder) {
  const std::vector<std::string> system = {"C:\\windows\\system32", "C:\\windows"};
  // PATH, and the places after the plug-in's folder and the system's.
  struct Row {
    const char* path;
    std::vector<std::string> fromPath;
  };
  const Row rows[] = {
      {"", {}},
      {"D:\\tools;E:\\bin\\", {"D:\\tools\\x.dll", "E:\\bin\\x.dll"}},
      // Relative entries, the empty entry and "." all mean the current folder.
      {".;;tools;\\rooted;D:relative;D:\\ok", {"D:\\ok\\x.dll"}},
      {"\"D:\\quoted\"", {"D:\\quoted\\x.dll"}},
      // Named twice, by case or a trailing backslash: looked at once, where first named.
      {"c:\\WINDOWS\\System32\\;P:\\plugin;D:\\a;d:\\A\\", {"D:\\a\\x.dll"}},
      {"\\\\server\\share\\bin;E:\\", {"\\\\server\\share\\bin\\x.dll", "E:\\x.dll"}},
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    std::vector<std::string> expected = {"P:\\plugin\\x.dll", "C:\\windows\\system32\\x.dll",
                                         "C:\\windows\\x.dll"};
    expected.insert(expected.end(), rows[row].fromPath.begin(), rows[row].fromPath.end());
    EXPECT_EQ(libraryPlaces("x.dll", "P:\\plugin\\", system, rows[row].path), expected)
        << "row " << row;
  }
  // Without a folder of its own (the module's path unknown) the plug-in's place is left out.
  EXPECT_EQ(libraryPlaces("x.dll", "", {}, "D:\\a"), std::vector<std::string>{"D:\\a\\x.dll"});
}

}  // namespace
