#include "settings_reload.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config_test_util.h"
#include "default_settings_data.h"
#include "logging.h"
#include "settings.h"
#include "settings_keys.h"

namespace {

// The text with the value of each key line named replaced.
std::string withValues(std::string text,
                       const std::vector<std::pair<std::string, std::string>>& kv) {
  for (const auto& [key, value] : kv) {
    const size_t start = text.find("\t" + key + " ");
    if (start == std::string::npos) throw std::runtime_error("no key line " + key);
    const size_t end = text.find('\n', start);
    text = text.substr(0, start) + "\t" + key + " = " + value + text.substr(end);
  }
  return text;
}

// The file the plug-in runs with: its entries on the console, where the test reads them.
std::string consoleFile() {
  return withValues(kDefaultSettingsFile, {{"logToCnsl", "on"}, {"info", "on"}});
}

class SettingsReloadTest : public kxtest::LogTest {
 protected:
  void SetUp() override {
    mHadProfile = kxtest::getEnv("USERPROFILE", mOldProfile);
    std::filesystem::create_directories(mDir + "\\Korvexpad\\Applications");
    mIniPath = mDir + "\\Korvexpad\\Applications\\Creo_plugin.ini";
    kxtest::setEnv("USERPROFILE", mDir.c_str());
    logToConsole({&LogPars::mIsInfo});
    kxtest::writeBinary(mIniPath, consoleFile());
  }
  void TearDown() override {
    kxtest::setEnv("USERPROFILE", mHadProfile ? mOldProfile.c_str() : nullptr);
    gLog.init(kxtest::quietLogPars());
  }

  bool mHadProfile = false;
  std::string mOldProfile;
  std::string mIniPath;
};

TEST_F(SettingsReloadTest, ChangedFileIsAppliedOrLeftAlone) {
  struct Row {
    std::vector<std::pair<std::string, std::string>> edits;
    const char* brokenLine;  // replaces the rotSensBase line when set
    bool isApplied;
    const char* logTag;  // the type of the entries expected, empty for none
    size_t entries;      // how many: the reader's own ERR entries come before the one line
  };
  const std::vector<Row> rows = {
      {{}, nullptr, false, "", 0},
      {{{"scrollTreeAndList", "off"}, {"transSensBase", "300"}}, nullptr, true, "|INF|", 1},
      {{{"mapkeyDefinition", "ab"}, {"warning", "on"}}, nullptr, true, "|INF|", 1},
      {{{"scrollTreeAndList", "off"}}, "\trotSensBase 5", false, "|ERR|", 3},
  };
  const std::vector<std::string> texts = {
      "",
      "| Settings file changed: transSensBase, scrollTreeAndList\n",
      "| Settings file changed: mapkeyDefinition, warning; mapkeyDefinition take effect at the "
      "next "
      "start\n",
      "' changed but cannot be read as a whole: the values in use stay, and the stop leaves the "
      "file as it is.\n",
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    kxtest::writeBinary(mIniPath, consoleFile());
    std::string edited = withValues(consoleFile(), row.edits) + "# edited\n";
    if (row.brokenLine) {
      const size_t start = edited.find("\trotSensBase ");
      edited = edited.substr(0, start) + row.brokenLine + edited.substr(edited.find('\n', start));
    }
    {
      Settings settings;
      SettingsReload reload(settings);
      Settings before{Settings::Detached()};
      SettingsReload::copyValues(settings, before);
      clearConsole();
      kxtest::writeBinary(mIniPath, edited);
      EXPECT_EQ(reload.reloadIfChanged(), row.isApplied) << "row " << i;
      const std::string text = console();
      if (*row.logTag == '\0') {
        EXPECT_EQ(text, "") << "row " << i;
      } else {
        EXPECT_EQ(kxtest::countOf(text, row.logTag), row.entries) << "row " << i << ": " << text;
        EXPECT_EQ(kxtest::countOf(text, texts[i]), 1u) << "row " << i << ": " << text;
      }
      for (const auto& [key, value] : row.edits) {
        for (const SettingsKey& k : SettingsKey::all()) {
          if (k.mKey != key) continue;
          EXPECT_EQ(k.text(settings), row.isApplied ? value : k.text(before))
              << "row " << i << ", key " << key;
        }
      }
      // Nothing changed since: no second look finds anything.
      clearConsole();
      EXPECT_FALSE(reload.reloadIfChanged()) << "row " << i;
      EXPECT_EQ(console(), "") << "row " << i;
    }
    // The stop writes the values in use, but never over a file it could not read.
    const std::string after = kxtest::readBinary(mIniPath);
    if (row.brokenLine) {
      EXPECT_EQ(after, edited) << "row " << i;
    } else {
      EXPECT_EQ(after.find("# edited"), std::string::npos) << "row " << i;
      for (const auto& [key, value] : row.edits)
        EXPECT_NE(after.find("\t" + key), std::string::npos) << "row " << i;
      Settings reread{Settings::Detached()};
      ASSERT_EQ(reread.readSettingsFile(mIniPath), 0) << "row " << i;
      for (const auto& [key, value] : row.edits) {
        for (const SettingsKey& k : SettingsKey::all()) {
          if (k.mKey == key) {
            EXPECT_EQ(k.text(reread), value) << "row " << i << ", key " << key;
          }
        }
      }
    }
  }
}

TEST_F(SettingsReloadTest, AGoodFileAfterABadOneIsAppliedAndWrittenAtTheStop) {
  const std::string bad = withValues(consoleFile(), {{"readMode", "on"}}) + "\n[LOGGING\n";
  std::string broken = bad;
  broken.erase(broken.find("\tlogFile "), std::string::npos);
  {
    Settings settings;
    SettingsReload reload(settings);
    kxtest::writeBinary(mIniPath, broken);
    EXPECT_FALSE(reload.reloadIfChanged());
    EXPECT_FALSE(settings.mIsModeToRead);
    kxtest::writeBinary(mIniPath, withValues(consoleFile(), {{"readMode", "on"}}) + "# x\n");
    EXPECT_TRUE(reload.reloadIfChanged());
    EXPECT_TRUE(settings.mIsModeToRead);
  }
  EXPECT_EQ(kxtest::readBinary(mIniPath).find("# x"), std::string::npos);
}

TEST_F(SettingsReloadTest, TheFileIsLookedAtAtMostOnceASecond) {
  Settings settings;
  SettingsReload reload(settings);
  kxtest::writeBinary(mIniPath, withValues(consoleFile(), {{"minThreshold", "9"}}));
  const struct {
    uint64_t nowMs;
    int32_t threshold;
  } rows[] = {{5000, 9}, {5100, 9}, {5999, 9}, {6000, 4}};
  for (size_t i = 0; i < std::size(rows); ++i) {
    if (i == 1) kxtest::writeBinary(mIniPath, withValues(consoleFile(), {{"minThreshold", "4"}}));
    reload.poll(rows[i].nowMs);
    EXPECT_EQ(settings.mMinThreshold, rows[i].threshold) << "row " << i;
  }
}

}  // namespace
