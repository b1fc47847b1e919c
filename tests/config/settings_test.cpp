#include "settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config_test_util.h"
#include "default_settings_data.h"
#include "failing_file_calls.h"
#include "kx_version.h"
#include "logging.h"

namespace {

// The default file with the line of one key replaced (or removed when replacement is null).
std::string withKeyLine(const std::string& text, const std::string& key, const char* replacement) {
  const std::string head = "\t" + key + " ";
  const size_t start = text.find(head);
  if (start == std::string::npos) throw std::runtime_error("no key line " + key);
  const size_t end = text.find('\n', start) + 1;
  const std::string line = replacement ? std::string(replacement) + "\n" : std::string();
  return text.substr(0, start) + line + text.substr(end);
}

std::string withValue(const std::string& text, const std::string& key, const std::string& value) {
  const std::string line = "\t" + key + " = " + value;
  return withKeyLine(text, key, line.c_str());
}

class SettingsTest : public kxtest::LogTest {
 protected:
  void SetUp() override {
    mHadProfile = kxtest::getEnv("USERPROFILE", mOldProfile);
    mProductDir = mDir + "\\Korvexpad";
    mApplDir = mProductDir + "\\Applications";
    std::filesystem::create_directories(mApplDir);
    mIniPath = mApplDir + "\\Creo_plugin.ini";
    kxtest::setEnv("USERPROFILE", mDir.c_str());
    // The entry types the settings write, to the console, where the test reads them.
    logToConsole(
        {&LogPars::mIsWarning, &LogPars::mIsCreation, &LogPars::mIsTrace, &LogPars::mIsInfo});
  }

  void TearDown() override {
    kxtest::setEnv("USERPROFILE", mHadProfile ? mOldProfile.c_str() : nullptr);
  }

  // Written in text mode, as a person's editor on Windows would.
  void writeIni(const std::string& lfText) {
    std::ofstream out(mIniPath, std::ios::trunc);
    out << lfText;
  }

  static std::string defaultBytes() { return kxtest::textModeBytes(kDefaultSettingsFile); }

  bool mHadProfile = false;
  std::string mOldProfile;
  std::string mProductDir;
  std::string mApplDir;
  std::string mIniPath;
};

const char* const kDefaultDump =
    "      (Creo-Plug-in) mName: CreoPlugin\n"
    "                  mVersion: " KX_VERSION
    "\n"
    "              mTraSensBase: 40000\n"
    "              mRotSensBase: 10000\n"
    "             mMinThreshold: 0\n"
    "          mMaxContMoveTime: 5000\n"
    "             mMaxFrameTime: 100\n"
    "           mIsTransToBlock: 0\n"
    "        mScrollTreeAndList: 1\n"
    "             mIsModeToRead: 0\n"
    "              mMNULanguage: \n"
    "     mUseMapkeyForCommands: 1\n"
    "         mMapkeyDefinition: kx\n"
    "                  mLogPars:\n"
    "        mSectionName: LOGGING\n"
    "    mSettingsDirPath: \n"
    "            mLogFile: Creo_plugin_log.txt\n"
    "            mMaxSize: 5000\n"
    "        mIsLogToFile: 0\n"
    "        mIsLogToCnsl: 0\n"
    "          mIsWarning: 0\n"
    "         mIsCreation: 0\n"
    "            mIsTrace: 0\n"
    "           mIsDevCom: 0\n"
    "           mIsIntCom: 0\n"
    "             mIsInfo: 0\n"
    "            mIsDebug: 0\n"
    "              mIsTmp: 0\n"
    "      mExclFileToLog: \n";

TEST_F(SettingsTest, NoFileWritesTheDefaultFileByteForByte) {
  {
    Settings settings;
    EXPECT_EQ(kxtest::readBinary(mIniPath), defaultBytes());
    EXPECT_EQ(settings.toString(), kDefaultDump);
    EXPECT_EQ(settings.mHomeDir, mDir);
    EXPECT_EQ(settings.mApplDirPath, mApplDir);
    EXPECT_EQ(settings.mFilePath, mIniPath);
    EXPECT_EQ(gLog.mLogPars.mSettingsDirPath, mProductDir);
    EXPECT_EQ(settings.getMapkeyDefinition(), "kx");
    EXPECT_EQ(settings.getMNULanguage(), "");
  }
  const std::string text = console();
  // The entries of a first start, in this order.
  const std::vector<std::string> expected = {
      "|CRT|", "| Constructing ...",
      "|INF|", "| Settings file not found - using default values ...",
      "|TRC|", "| Writing new default settings file ...",
      "|TRC|", "| Default settings file written.",
      "|INF|", "| \n" + std::string(kDefaultDump),
      "|CRT|", "| Constructed.",
      "|TRC|", "| Writing new default settings file ...",
      "|TRC|", "| Default settings file written.",
      "|CRT|", "| Destructed.",
  };
  size_t at = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    const size_t found = text.find(expected[i], at);
    ASSERT_NE(found, std::string::npos) << "row " << i << ": " << expected[i] << "\n" << text;
    at = found + expected[i].size();
  }
  EXPECT_EQ(kxtest::countOf(text, "|ERR|"), 0u) << text;
  EXPECT_EQ(kxtest::readBinary(mIniPath), defaultBytes());
}

TEST_F(SettingsTest, WriteThenReadGivesTheSameValues) {
  std::string written;
  {
    Settings settings;
    settings.mName = "MyPlugin";
    settings.mVersion = "3.1";
    settings.mTraSensBase = -7;
    settings.mRotSensBase = INT32_MAX;
    settings.mMinThreshold = 12;
    settings.mMaxContMoveTime = 0;
    settings.mMaxFrameTime = INT32_MIN;
    settings.mIsTransToBlock = true;
    settings.mScrollTreeAndList = false;
    settings.mIsModeToRead = true;
    settings.mMNULanguage = "german";
    settings.mUseMapkeyForCommands = false;
    settings.mMapkeyDefinition = "z9";
    LogPars& pars = settings.mLogPars;
    pars.mLogFile = "D:\\logs\\a very long log file name that exceeds fifty characters.txt";
    pars.mMaxSize = 0;
    // Every other switch on: each read into its own member, not its neighbour's.
    pars.mIsLogToFile = pars.mIsWarning = pars.mIsTrace = pars.mIsIntCom = pars.mIsDebug = true;
    pars.mExclFileToLog = "settings.cpp";
    ASSERT_EQ(settings.writeSettingsFile(mIniPath), 0);
    written = kxtest::readBinary(mIniPath);

    Settings reread;
    // The defaults of a first start leave the folder of the log empty; a read file keeps it.
    EXPECT_EQ(settings.mLogPars.mSettingsDirPath, "");
    EXPECT_EQ(reread.mLogPars.mSettingsDirPath, mProductDir);
    settings.mLogPars.mSettingsDirPath = mProductDir;
    EXPECT_EQ(reread.toString(), settings.toString());
    EXPECT_EQ(kxtest::countOf(console(), "|ERR|"), 0u) << console();
  }
  // Both objects wrote the file again at destruction, unchanged.
  EXPECT_EQ(kxtest::readBinary(mIniPath), written);
  // The long value is written whole and its comment follows directly.
  EXPECT_NE(written.find(kxtest::textModeBytes("exceeds fifty characters.txt# name of log file\n")),
            std::string::npos);
}

// A write cut short (a crash, a full disk) leaves the old file whole: a cut file would lose every
// setting to the defaults at the next start. Every cut is FileCommitTest's; here the first and last
// bytes and the middle, at two sizes.
TEST_F(SettingsTest, AWriteCutShortLeavesTheOldFileWhole) {
  const std::string old = kxtest::textModeBytes(withValue(kDefaultSettingsFile, "name", "Old"));
  writeIni(withValue(kDefaultSettingsFile, "name", "Old"));
  Settings settings;
  logToConsole({});
  const std::string scratch = mApplDir + "\\scratch.ini";
  const std::string names[] = {"CreoPlugin", std::string(300, 'n')};
  for (size_t row = 0; row < std::size(names); ++row) {
    settings.mName = names[row];
    ASSERT_EQ(settings.writeSettingsFile(scratch), 0) << "row " << row;
    const std::string whole = kxtest::readBinary(scratch);
    // The bytes handed to the write: text mode adds the CR of each line end after them.
    const size_t size = whole.size() - kxtest::countOf(whole, "\r\n");
    clearConsole();
    const size_t cuts[] = {0, 1, size / 2, size - 1};
    for (const size_t cut : cuts) {
      kxtest::FailingFileCalls failing("write", cut);
      EXPECT_EQ(settings.writeSettingsFile(mIniPath), -1) << "row " << row << ", cut " << cut;
      EXPECT_EQ(kxtest::readBinary(mIniPath), old) << "row " << row << ", cut " << cut;
      EXPECT_FALSE(kxtest::fileExists(FileCommit::tempPath(mIniPath))) << "row " << row;
    }
    const std::string text = console();
    EXPECT_EQ(kxtest::countOf(text, "|ERR|"), std::size(cuts)) << "row " << row;
    EXPECT_EQ(kxtest::countOf(text, "| Writing default settings file 'Creo_plugin.ini' failed!\n"),
              std::size(cuts))
        << "row " << row;
    ASSERT_EQ(settings.writeSettingsFile(mIniPath), 0) << "row " << row;
    EXPECT_EQ(kxtest::readBinary(mIniPath), whole) << "row " << row;
    kxtest::writeBinary(mIniPath, old);
  }
}

TEST_F(SettingsTest, OneMissingKeyReplacesTheWholeFileByDefaults) {
  // Every key of the default file, with its section.
  std::vector<std::pair<std::string, std::string>> keys;
  std::string section;
  for (const std::string& line : kxtest::splitLines(kDefaultSettingsFile)) {
    if (line.rfind('[', 0) == 0) section = line.substr(1, line.find(']') - 1);
    if (line.rfind('\t', 0) == 0) keys.emplace_back(line.substr(1, line.find(' ') - 1), section);
  }
  ASSERT_EQ(keys.size(), 26u);
  for (const auto& [key, section] : keys) {
    SCOPED_TRACE(key);
    // An edited value elsewhere that must be lost with the rest.
    const std::string edited = key == "minThreshold" ? "maxFrameTime" : "minThreshold";
    writeIni(withKeyLine(withValue(kDefaultSettingsFile, edited, "123"), key, nullptr));
    clearConsole();
    {
      Settings settings;
      EXPECT_EQ(settings.toString(), kDefaultDump);
      EXPECT_EQ(kxtest::readBinary(mIniPath), defaultBytes());
    }
    const std::string text = console();
    const std::string report =
        "Parameter '" + key + "' in section '" + section + "' not found! (" + mIniPath + ")\n";
    EXPECT_EQ(kxtest::countOf(text, "| " + report), 1u) << text;
    EXPECT_EQ(kxtest::countOf(text, "|ERR|"), 2u) << text;
    EXPECT_TRUE(consoleHas("| Error reading settings file!\n"));
    EXPECT_TRUE(consoleHas("| Settings file not found - using default values ...\n"));
  }
}

// Numbers and switches; the text values as the reader gives them are CnfgTest's.
TEST_F(SettingsTest, ValueConversionsWhenReading) {
  // The key, its value in the file, the member read and what it holds then.
  using Row = std::tuple<const char*, const char*, std::function<std::string(const Settings&)>,
                         std::string>;
  auto tra = [](const Settings& s) { return std::to_string(s.mTraSensBase); };
  auto maxSize = [](const Settings& s) { return std::to_string(s.mLogPars.mMaxSize); };
  auto scroll = [](const Settings& s) { return std::to_string(s.mScrollTreeAndList); };
  auto debug = [](const Settings& s) { return std::to_string(s.mLogPars.mIsDebug); };
  auto mnu = [](const Settings& s) { return s.mMNULanguage; };
  const std::vector<Row> rows = {
      {"transSensBase", "2e4", tra, "2"},
      {"transSensBase", "-5", tra, "-5"},
      {"transSensBase", "abc", tra, "0"},
      {"transSensBase", "0x1A", tra, "0"},
      {"transSensBase", "12abc", tra, "12"},
      {"transSensBase", "2147483648", tra, "2147483647"},
      {"transSensBase", "99999999999999999999999", tra, "2147483647"},
      {"transSensBase", "-99999999999", tra, "-2147483648"},
      {"transSensBase", "- 3", tra, "0"},
      {"maxSize", "2000 kB", maxSize, "2000"},
      {"maxSize", "big", maxSize, "0"},
      {"scrollTreeAndList", "true", scroll, "0"},
      {"scrollTreeAndList", "on # x", scroll, "1"},
      {"scrollTreeAndList", "bonbon", scroll, "1"},
      {"scrollTreeAndList", "o n", scroll, "0"},
      {"scrollTreeAndList", "ON", scroll, "0"},
      {"scrollTreeAndList", "1", scroll, "0"},
      {"debug", "on", debug, "1"},
      {"debug", "yes", debug, "0"},
      {"mnuLanguage", "", mnu, ""},
  };
  Settings settings;
  for (const auto& [key, value, member, expected] : rows) {
    writeIni(withValue(kDefaultSettingsFile, key, value));
    EXPECT_EQ(settings.readSettingsFile(mIniPath), 0) << key << " = " << value;
    EXPECT_EQ(member(settings), expected) << key << " = " << value;
  }
  EXPECT_EQ(kxtest::countOf(console(), "|ERR|"), 0u) << console();
}

TEST_F(SettingsTest, MissingFolderKeepsDefaultsInMemoryAndReportsEveryWrite) {
  const std::string bareRoot = kxtest::makeTempDir("bare");
  // The profile's parent is missing too: natively the product's '\\' joins name one file, which
  // only a missing folder above the profile keeps from being created.
  const std::string bareHome =
      (std::filesystem::path(bareRoot) / "absent" / "home").make_preferred().string();
  kxtest::setEnv("USERPROFILE", bareHome.c_str());
  {
    Settings settings;
    EXPECT_EQ(settings.toString(), kDefaultDump);
    EXPECT_EQ(kxtest::countOf(console(), "|ERR|"), 1u) << console();
  }
  const std::string text = console();
  EXPECT_EQ(kxtest::countOf(text, "|ERR|"), 2u) << text;
  EXPECT_EQ(kxtest::countOf(text, "| Writing default settings file 'Creo_plugin.ini' failed!\n"),
            2u)
      << text;
  EXPECT_FALSE(kxtest::fileExists(bareHome + "\\Korvexpad"));
  EXPECT_TRUE(std::filesystem::is_empty(bareRoot));
  kxtest::removeTree(bareRoot);
}

// Every key of a lost section is reported, not only the first, and the defaults replace the file.
// How the reader takes damaged files is CnfgTest's; that any file leaves a whole set of values is
// the settings fuzzer's.
TEST_F(SettingsTest, EveryKeyOfALostSectionIsReported) {
  const std::string lf = kDefaultSettingsFile;
  std::string programLost = lf;
  programLost.replace(programLost.find("[PROGRAM]"), 9, "[PROGRAMM]");
  const std::string noLogging = withValue(lf.substr(0, lf.find("[LOGGING]")), "rotSensBase", "5");
  const std::pair<std::string, const char*> rows[] = {
      {programLost, "| Section 'PROGRAM' not found!\n"},
      {noLogging, "| Section 'LOGGING' not found!\n"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    kxtest::writeBinary(mIniPath, kxtest::textModeBytes(rows[i].first));
    clearConsole();
    {
      Settings settings;
      EXPECT_EQ(settings.toString(), kDefaultDump) << "row " << i;
    }
    EXPECT_EQ(kxtest::readBinary(mIniPath), defaultBytes()) << "row " << i;
    EXPECT_TRUE(consoleHas("| Error reading settings file!\n")) << "row " << i;
    EXPECT_EQ(kxtest::countOf(console(), rows[i].second), 13u) << "row " << i << ": " << console();
  }
}

TEST_F(SettingsTest, HomeDirectoryFallbacks) {
  std::string oldHome;
  const bool hadHome = kxtest::getEnv("HOME", oldHome);
  // USERPROFILE and HOME (null: unset), and the home folder taken.
  const std::tuple<const char*, const char*, std::string> rows[] = {
      {mDir.c_str(), "C:\\elsewhere", mDir},
      {nullptr, "C:\\kx_no_such_home", "C:\\kx_no_such_home"},
      {"", "C:\\kx_no_such_home", "C:\\kx_no_such_home"},
      {nullptr, nullptr, "."},
  };
  // The settings file of "." (and natively of "C:\\...", which names no drive there) lies in the
  // working folder: a temporary one.
  const std::filesystem::path oldWorkDir = std::filesystem::current_path();
  const std::string workDir = kxtest::makeTempDir("work");
  std::filesystem::current_path(workDir);
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto& [profile, home, expected] = rows[i];
    kxtest::setEnv("USERPROFILE", profile);
    kxtest::setEnv("HOME", home);
    Settings settings;
    EXPECT_EQ(settings.mHomeDir, expected) << "row " << i;
    EXPECT_EQ(settings.mFilePath, expected + "\\Korvexpad\\Applications\\Creo_plugin.ini")
        << "row " << i;
  }
  std::filesystem::current_path(oldWorkDir);
  kxtest::removeTree(workDir);
  kxtest::setEnv("HOME", hadHome ? oldHome.c_str() : nullptr);
}

}  // namespace
