// The texts handed to the host: the mapkey's keys, trail file path and definition, and macros.
#include <gtest/gtest.h>

#include <string>

#include "macro_text.h"
#include "mapkey_text.h"

namespace {

TEST(MapkeyTextTest, KeyStringFromSetting) {
  const struct {
    const char* mSetting;
    const char* mKeys;
  } rows[] = {
      {"kx", "kx"},   {"Ab-7x", "b7"}, {"AB", "kx"},  {"9", "9"},         {"", "kx"},
      {"abc", "ab"},  {" k x", "kx"},  {"K9z", "9z"}, {"\xe4\xb6z", "z"}, {"--0--", "0"},
      {"{}`~", "kx"}, {"q", "q"},      {"zz9", "zz"}, {"a\tb", "ab"},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_EQ(mapkeyKeyString(rows[row].mSetting), rows[row].mKeys) << "row " << row;
  }
}

TEST(MapkeyTextTest, TrailPathAndItsDoubledBackslashes) {
  const struct {
    const char* mTempDir;
    const char* mPath;
    const char* mDoubled;
  } rows[] = {
      {"D:\\Temp\\", "D:\\Temp\\korvex-trail.txt", "D:\\\\Temp\\\\korvex-trail.txt"},
      {"D:\\Temp", "D:\\Temp\\korvex-trail.txt", "D:\\\\Temp\\\\korvex-trail.txt"},
      {"", "korvex-trail.txt", "korvex-trail.txt"},
      {"C:\\a\\\\\\b\\", "C:\\a\\\\\\b\\korvex-trail.txt", "C:\\\\a\\\\b\\\\korvex-trail.txt"},
      {"\\\\server\\share\\", "\\\\server\\share\\korvex-trail.txt",
       "\\\\server\\\\share\\\\korvex-trail.txt"},
      {"C:/tmp/", "C:/tmp/\\korvex-trail.txt", "C:/tmp/\\\\korvex-trail.txt"},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const std::string path = trailFilePathIn(rows[row].mTempDir);
    EXPECT_EQ(path, rows[row].mPath) << "row " << row;
    EXPECT_EQ(doubleBackslashRuns(path), rows[row].mDoubled) << "row " << row;
  }
}

TEST(MapkeyTextTest, DefinitionOpensTrainingEntersTheFileAndConfirms) {
  const struct {
    const char* mKeys;
    const char* mTrailPath;
    const char* mDefinition;
  } rows[] = {
      {"kx", "D:\\\\Temp\\\\korvex-trail.txt",
       "kx @MAPKEY_LABELKorvexpad;~ Command `ProCmdUtilTrailTrain` ;~ Update `file_open` "
       "`Inputname` `D:\\\\Temp\\\\korvex-trail.txt`;~ Command "
       "`ProFileSelPushOpen@context_dlg_open_cmd`;"},
      {"9", "korvex-trail.txt",
       "9 @MAPKEY_LABELKorvexpad;~ Command `ProCmdUtilTrailTrain` ;~ Update `file_open` "
       "`Inputname` `korvex-trail.txt`;~ Command `ProFileSelPushOpen@context_dlg_open_cmd`;"},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_EQ(mapkeyDefinition(rows[row].mKeys, rows[row].mTrailPath), rows[row].mDefinition)
        << "row " << row;
  }
}

TEST(MapkeyTextTest, OverLongDefinitionsDoNotFit) {
  // With two keys, 148 characters surround the path: 875 fill the buffer with its zero.
  const struct {
    size_t mPathLength;
    bool mFits;
  } rows[] = {{16, true}, {874, true}, {875, true}, {876, false}, {877, false}, {5000, false}};
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const std::string definition = mapkeyDefinition("kx", std::string(rows[row].mPathLength, 'p'));
    EXPECT_EQ(definition.size(), rows[row].mPathLength + 148) << "row " << row;
    EXPECT_EQ(fitsMapkeyBuffer(definition), rows[row].mFits) << "row " << row;
  }
}

}  // namespace

namespace {

TEST(MacroBufferTest, OverLongMacrosDoNotFit) {
  // "~ Command `" and "`;" surround the command: 13 characters.
  const struct {
    size_t mCommandLength;
    bool mFits;
  } rows[] = {{15, true}, {241, true}, {242, true}, {243, false}, {1000, false}};
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const std::string macro = buildMacroText(std::string(rows[row].mCommandLength, 'c'));
    EXPECT_EQ(macro.size(), rows[row].mCommandLength + 13) << "row " << row;
    EXPECT_EQ(fitsMacroBuffer(macro), rows[row].mFits) << "row " << row;
  }
}

}  // namespace
