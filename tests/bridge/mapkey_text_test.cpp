// The texts handed to the host: the mapkey's keys, trail file path and the buffers' limits. The
// definition itself is run by the emulated host in the mapkey scenario.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "macro_text.h"
#include "mapkey_text.h"

namespace {

TEST(MapkeyTextTest, KeyStringFromSetting) {
  // Setting, keys.
  const std::pair<const char*, const char*> rows[] = {
      {"kx", "kx"},   {"Ab-7x", "b7"}, {"AB", "kx"},  {"9", "9"},         {"", "kx"},
      {"abc", "ab"},  {" k x", "kx"},  {"K9z", "9z"}, {"\xe4\xb6z", "z"}, {"--0--", "0"},
      {"{}`~", "kx"}, {"q", "q"},      {"zz9", "zz"}, {"a\tb", "ab"},
  };
  for (const auto& [setting, keys] : rows) {
    EXPECT_EQ(mapkeyKeyString(setting), keys) << "setting '" << setting << "'";
  }
}

TEST(MapkeyTextTest, TrailPathAndItsDoubledBackslashes) {
  // Folder, path, doubled.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"D:\\Temp\\", "D:\\Temp\\korvex-trail.txt", "D:\\\\Temp\\\\korvex-trail.txt"},
      {"D:\\Temp", "D:\\Temp\\korvex-trail.txt", "D:\\\\Temp\\\\korvex-trail.txt"},
      {"", "korvex-trail.txt", "korvex-trail.txt"},
      {"C:\\a\\\\\\b\\", "C:\\a\\\\\\b\\korvex-trail.txt", "C:\\\\a\\\\b\\\\korvex-trail.txt"},
      {"\\\\server\\share\\", "\\\\server\\share\\korvex-trail.txt",
       "\\\\server\\\\share\\\\korvex-trail.txt"},
      {"C:/tmp/", "C:/tmp/\\korvex-trail.txt", "C:/tmp/\\\\korvex-trail.txt"},
  };
  for (const auto& [tempDir, path, doubled] : rows) {
    EXPECT_EQ(trailFilePathIn(tempDir), path) << "folder " << tempDir;
    EXPECT_EQ(doubleBackslashRuns(path), doubled) << "folder " << tempDir;
  }
}

TEST(MapkeyTextTest, OverLongDefinitionsDoNotFit) {
  // With two keys, 148 characters surround the path: 875 fill the buffer with its zero.
  const std::pair<size_t, bool> rows[] = {{16, true},   {874, true},  {875, true},
                                          {876, false}, {877, false}, {5000, false}};
  for (const auto& [length, fits] : rows) {
    const std::string definition = mapkeyDefinition("kx", std::string(length, 'p'));
    EXPECT_EQ(definition.size(), length + 148) << "path length " << length;
    EXPECT_EQ(fitsMapkeyBuffer(definition), fits) << "path length " << length;
  }
}

TEST(MacroBufferTest, OverLongMacrosDoNotFit) {
  // "~ Command `" and "`;" surround the command: 13 characters.
  const std::pair<size_t, bool> rows[] = {
      {15, true}, {241, true}, {242, true}, {243, false}, {1000, false}};
  for (const auto& [length, fits] : rows) {
    const std::string macro = buildMacroText(std::string(length, 'c'));
    EXPECT_EQ(macro.size(), length + 13) << "command length " << length;
    EXPECT_EQ(fitsMacroBuffer(macro), fits) << "command length " << length;
  }
}

}  // namespace
