#include "logging.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "config_test_util.h"
#include "thread_id.h"

#ifdef _WIN32
#include <windows.h>
#endif

void writeFromOtherFile(int32_t type, const std::string& text);

// Outside the anonymous namespace, so its signature carries no namespace.
struct LogProbe {
  int write() {
    const int line = __LINE__ + 1;
    KXLOG(LOG_INF) << "probe text " << 42 << LOG_END;
    return line;
  }
};

namespace {

const std::string kRule(90, '-');
const char* const kColumnTitles =
    "    Time    |Typ|  TID |      File      | Line|        Class And Method         | LogText";
const char* const kColumnRule =
    "------------+---+------+----------------+-----+---------------------------------+---------";

// A lock taken twice would hang the test program; report and stop instead. The thread is joined:
// under Wine a new thread at times never started while a detached one of the step before ended.
void expectFinishes(const std::function<void()>& work, const char* what) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread thread([&] {
    work();
    done.set_value();
  });
  if (finished.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    std::cerr << "HANG: " << what << " did not finish within 60 s" << std::endl;
    std::_Exit(3);
  }
  thread.join();
}

class LoggingTest : public kxtest::LogTest {
 protected:
  LogPars pars(bool toFile, bool toConsole) const {
    LogPars result = kxtest::quietLogPars();
    result.mSettingsDirPath = mDir;
    result.mLogFile = "test_log.txt";
    result.mIsLogToFile = toFile;
    result.mIsLogToCnsl = toConsole;
    result.mIsInfo = true;
    return result;
  }

  std::string logPath() const { return mDir + "\\test_log.txt"; }

  using Lines = std::vector<std::string>;

  static void expectHeader(const Lines& lines, const std::string& name, const std::string& where) {
    ASSERT_GE(lines.size(), 5u) << where;
    EXPECT_EQ(lines[0], kRule) << where;
    const std::regex opened("Korvex logfile '" +
                            std::regex_replace(name, std::regex(R"([\\.])"), R"(\$&)") +
                            "' opened at [A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9]{4}");
    EXPECT_TRUE(std::regex_match(lines[1], opened)) << where << ": " << lines[1];
    EXPECT_EQ(lines[2], kRule) << where;
    EXPECT_EQ(lines[3], kColumnTitles) << where;
    EXPECT_EQ(lines[4], kColumnRule) << where;
  }

  // The text column of an entry line: everything after the six head columns.
  static std::string textOf(const std::string& line) {
    static const std::regex head(R"(.{12}\|.{3}\|.{6}\|.{16}\| *[0-9]+\| .{32}\| ([^]*))");
    std::smatch parts;
    return std::regex_match(line, parts, head) ? parts[1].str() : "<no entry: " + line + ">";
  }

  // Each line from `from` on as its type and text column ("ERR text"); a line that is no entry as
  // it is.
  static Lines entries(const Lines& lines, size_t from = 0) {
    Lines result;
    for (size_t i = from; i < lines.size(); ++i) {
      const std::string text = textOf(lines[i]);
      result.push_back(text.rfind("<no entry: ", 0) == 0 ? lines[i]
                                                         : lines[i].substr(13, 3) + " " + text);
    }
    return result;
  }
  Lines consoleEntries() const { return entries(kxtest::splitLines(console())); }
  // The entries of a log file after its header block, which is checked on the way.
  static Lines fileEntries(const std::string& path, const std::string& name,
                           const std::string& where) {
    const Lines lines = kxtest::splitLines(kxtest::readBinary(path));
    expectHeader(lines, name, where);
    return entries(lines, 5);
  }
};

TEST(LogPrefix, Columns) {
  // Path, line, class, function; the file, line and method columns they give.
  const std::tuple<const char*, int32_t, const char*, const char*, const char*> rows[] = {
      {"C:\\src\\settings", 198, "Settings", "Settings::Settings",
       "        settings|  198| Settings::Settings::Settings    "},
      {"C:\\src\\abcdefghijklmnop", 1, "A", "A::f",
       "abcdefghijklmnop|    1| A::A::f                         "},
      {"C:\\src\\abcdefghijklmnopqrst", 1, "A", "A::f",
       "*fghijklmnopqrst|    1| A::A::f                         "},
      {"/work/main/common_sources/cnfg.cpp", 12, "Cnfg", "Cnfg::open",
       "        cnfg.cpp|   12| Cnfg::Cnfg::open                "},
      {"cnfg.cpp", 12345, "Cnfg", "Cnfg::open",
       "        cnfg.cpp| 12345| Cnfg::Cnfg::open                "},
      {"x", 1, "Settings", "Settings::readParameter",
       "               x|    1| *ttings::Settings::readParameter"},
      {"x", 1, "", "main", "               x|    1| ::main                          "},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto [path, line, className, function, expected] = rows[i];
    EXPECT_EQ(Logging::buildLogPrefix(path, line, className, function), expected) << "row " << i;
  }
}

TEST(LogPrefix, ClassAndFunctionFromSignature) {
  // Signature, class, function.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"Settings::Settings()", "Settings", "Settings::Settings"},
      {"static int Settings::readParameter(Cnfg&, const string&, std::string&, const string&)",
       "Settings", "Settings::readParameter"},
      {"std::__cxx11::basic_string<char> Settings::toString() const", "Settings",
       "Settings::toString"},
      {"int main()", "", "main"},
      {"void {anonymous}::helper()", "{anonymous}", "{anonymous}::helper"},
      {"Logging& Logging::operator<<(int32_t)", "Logging", "Logging::operator<<"},
      {"Logging::operator bool() const", "Logging", "Logging::operator bool"},
      {"void ns::Cls::fn()", "Cls", "ns::Cls::fn"},
      {"void Tmpl<std::pair<int, int> >::run() [with T = int]", "Tmpl<std::pair<int, int> >",
       "Tmpl<std::pair<int, int> >::run"},
      {"CreoProxy::doTransform()::<lambda()>", "CreoProxy", "CreoProxy::doTransform"},
      {"", "", ""},
  };
  for (const auto& [signature, expectedClass, expectedFunction] : rows) {
    std::string className = "stale";
    std::string function = "stale";
    Logging::splitSignature(signature, className, function);
    EXPECT_EQ(className, expectedClass) << signature;
    EXPECT_EQ(function, expectedFunction) << signature;
  }
}

TEST_F(LoggingTest, HeadOfARealEntry) {
  gLog.init(pars(false, true));
  const auto before = std::chrono::system_clock::now();
  const int line = LogProbe().write();
  const std::string out = console();
  ASSERT_FALSE(out.empty());
  ASSERT_EQ(out.back(), '\n');
  const std::string entry = out.substr(0, out.size() - 1);
  // Every column after the time, at its width.
  std::ostringstream head;
  head << "|INF|" << std::setw(6) << currentThreadId() << "|logging_test.cpp| " << std::setw(4)
       << line << "| LogProbe::LogProbe::write       | probe text 42";
  EXPECT_EQ(entry.substr(12), head.str());
  // Time of day in UTC, close to the clock read just before.
  const std::regex time("([0-9]{2}):([0-9]{2}):([0-9]{2})\\.([0-9]{3})");
  std::smatch parts;
  const std::string timeText = entry.substr(0, 12);
  ASSERT_TRUE(std::regex_match(timeText, parts, time)) << timeText;
  const long long logged =
      ((std::stoll(parts[1]) * 60 + std::stoll(parts[2])) * 60 + std::stoll(parts[3])) * 1000 +
      std::stoll(parts[4]);
  const long long clock =
      std::chrono::duration_cast<std::chrono::milliseconds>(before.time_since_epoch()).count() %
      86400000LL;
  const long long apart = (logged - clock + 86400000LL) % 86400000LL;
  EXPECT_LT(std::min(apart, 86400000LL - apart), 60000LL) << timeText;
}

TEST_F(LoggingTest, TypeSwitches) {
  // Entry type, its switch (null: none), written with the switch on, and with it off.
  const std::tuple<int32_t, bool LogPars::*, bool, bool> rows[] = {
      {LOG_ERR, nullptr, true, true},
      {LOG_WRN, &LogPars::mIsWarning, true, false},
      {LOG_CRT, &LogPars::mIsCreation, true, false},
      {LOG_TRC, &LogPars::mIsTrace, true, false},
      {LOG_DCM, &LogPars::mIsDevCom, true, false},
      {LOG_ICM, &LogPars::mIsIntCom, true, false},
      {LOG_INF, &LogPars::mIsInfo, true, false},
      {LOG_DBG, &LogPars::mIsDebug, true, false},
      {LOG_TMP, &LogPars::mIsTmp, true, false},
      {9, nullptr, false, false},
      {-1, nullptr, false, false},
  };
  const char* const tags[] = {"ERR", "WRN", "CRT", "TRC", "DCM", "ICM", "INF", "DBG", "TMP"};
  for (const auto& [type, typeFlag, writtenWhenOn, writtenWhenOff] : rows) {
    for (const bool on : {true, false}) {
      LogPars config = pars(false, true);
      // Every other switch on, so only the row's own switch decides.
      for (const auto& other : rows) {
        if (std::get<1>(other)) config.*std::get<1>(other) = true;
      }
      if (typeFlag) config.*typeFlag = on;
      const bool written = on ? writtenWhenOn : writtenWhenOff;
      gLog.init(config);
      clearConsole();
      int evaluated = 0;
      auto operand = [&evaluated] {
        ++evaluated;
        return std::string("payload");
      };
      KXLOG(type) << operand() << LOG_END;
      EXPECT_EQ(evaluated, written ? 1 : 0) << "type " << type << " on " << on;
      EXPECT_EQ(!console().empty(), written)
          << "type " << type << " on " << on << ": " << console();
      if (written) {
        EXPECT_EQ(console().substr(12, 5), std::string("|") + tags[type] + "|") << "type " << type;
      }
      // A refused entry holds no lock: another thread still gets through.
      expectFinishes([] { KXLOG(LOG_ERR) << "next" << LOG_END; }, "entry after a refused one");
    }
  }
}

TEST_F(LoggingTest, SingleFileFilterAppliesToErrorsToo) {
  // The single file to log; entries from this file and from the other one written.
  const std::tuple<const char*, bool, bool> rows[] = {
      {"", true, true},
      {"logging_test.cpp", true, false},
      {"logging_other_file.cpp", false, true},
      {"LOGGING_TEST.CPP", false, false},
      {"test.cpp", false, false},
  };
  for (const auto& [fileToLog, thisFile, otherFile] : rows) {
    LogPars config = pars(false, true);
    config.mExclFileToLog = fileToLog;
    gLog.init(config);
    clearConsole();
    KXLOG(LOG_ERR) << "from this file" << LOG_END;
    writeFromOtherFile(LOG_ERR, "from the other file");
    SCOPED_TRACE(std::string("file to log '") + fileToLog + "'");
    EXPECT_EQ(consoleHas("|ERR|") && consoleHas("| from this file\n"), thisFile) << console();
    EXPECT_EQ(consoleHas("| from the other file\n"), otherFile) << console();
  }
}

// The file starts with the header block, in text-mode lines; the console shows the block only when
// the file is written too. With both off, entries go nowhere.
TEST_F(LoggingTest, OutputsAndHeaderBlock) {
  const Lines expected = {"INF first", "ERR two", "lines"};
  for (const bool toFile : {false, true}) {
    for (const bool toConsole : {false, true}) {
      const std::string where = std::string("file ") + (toFile ? "on" : "off") + ", console " +
                                (toConsole ? "on" : "off");
      SCOPED_TRACE(where);
      clearConsole();
      gLog.init(pars(toFile, toConsole));
      KXLOG(LOG_INF) << "first" << LOG_END;
      KXLOG(LOG_ERR) << "two\nlines" << LOG_END;
      if (!toFile) {
        EXPECT_EQ(gLog.backupLogFile(), -1) << "no file to back up";
      }
      gLog.init(kxtest::quietLogPars());
      const Lines shown = kxtest::splitLines(console());
      if (toConsole && toFile) expectHeader(shown, "test_log.txt", "console");
      EXPECT_EQ(entries(shown, toConsole && toFile ? 5 : 0), toConsole ? expected : Lines{});
      EXPECT_EQ(kxtest::fileExists(logPath()), toFile);
      if (!toFile) continue;
      EXPECT_EQ(fileEntries(logPath(), "test_log.txt", "file"), expected);
      // Text mode: every line end is CR LF on Windows, and a bare LF natively.
      const std::string bytes = kxtest::readBinary(logPath());
      EXPECT_EQ(kxtest::countOf(bytes, "\n"), 8u);
      EXPECT_EQ(kxtest::countOf(bytes, "\r\n"), kxtest::textModeBytes("\n") == "\r\n" ? 8u : 0u);
      std::filesystem::remove(logPath());
    }
  }
}

TEST_F(LoggingTest, LogFilePlaces) {
  std::filesystem::create_directories(mDir + "\\abs");
  std::filesystem::create_directories(mDir + "\\sub");
  // The setting, the file's path and the name its header shows.
  const std::tuple<std::string, std::string, std::string> rows[] = {
      {"x.txt", mDir + "\\x.txt", "x.txt"},
      {"", mDir + "\\forgot_to_name_this_file_log.txt", "forgot_to_name_this_file_log.txt"},
      {mDir + "\\abs\\y.txt", mDir + "\\abs\\y.txt", mDir + "\\abs\\y.txt"},
      {"sub/z.txt", mDir + "\\sub/z.txt", "sub/z.txt"},
  };
  for (const auto& [logFile, path, shownName] : rows) {
    LogPars config = pars(true, false);
    config.mLogFile = logFile;
    gLog.init(config);
    KXLOG(LOG_INF) << "placed" << LOG_END;
    gLog.init(kxtest::quietLogPars());
    EXPECT_EQ(gLog.mLogPars.mLogFile, "c:\\def_log.txt");
    EXPECT_EQ(fileEntries(path, shownName, "log file " + logFile), Lines{"INF placed"}) << logFile;
  }
}

// Two host sessions may share one log file: what the other writes meanwhile stays, and the next
// entry lands after it.
TEST_F(LoggingTest, EntriesGoAfterWhatAnotherWriterAdded) {
  gLog.init(pars(true, false));
  KXLOG(LOG_INF) << "first" << LOG_END;
  std::ofstream(logPath(), std::ios::app) << "the other session's line\n";
  KXLOG(LOG_INF) << "second" << LOG_END;
  gLog.init(kxtest::quietLogPars());
  EXPECT_EQ(fileEntries(logPath(), "test_log.txt", "shared file"),
            (Lines{"INF first", "the other session's line", "INF second"}));
}

TEST_F(LoggingTest, UnopenableFileSwitchesFileLoggingOff) {
  LogPars config = pars(true, true);
  // The missing folder is one for the native build too, where '\\' separates nothing.
  config.mLogFile =
      (std::filesystem::path(mDir) / "missing" / "x").make_preferred().string() + "\\x.txt";
  gLog.init(config);
  EXPECT_FALSE(gLog.mLogPars.mIsLogToFile);
  KXLOG(LOG_INF) << "still on the console" << LOG_END;
  EXPECT_EQ(consoleEntries(), (Lines{"ERR Opening log file '" + config.mLogFile + "failed!",
                                     "INF still on the console"}));
}

TEST_F(LoggingTest, RotatesAtTheSizeLimit) {
  LogPars config = pars(true, false);
  config.mMaxSize = 1;  // 1000 bytes
  gLog.init(config);
  const std::string backup = mDir + "\\test_log.bak";
  std::string before;
  int written = 0;
  while (true) {
    KXLOG(LOG_INF) << "entry " << written++ << LOG_END;
    ASSERT_FALSE(kxtest::fileExists(backup)) << "rotated early, after " << written;
    before = kxtest::readBinary(logPath());
    if (before.size() >= 1000) break;
    ASSERT_LT(written, 100);
  }
  KXLOG(LOG_INF) << "after rotation" << LOG_END;
  EXPECT_EQ(kxtest::readBinary(backup), before);
  EXPECT_EQ(fileEntries(logPath(), "test_log.txt", "new file"), Lines{"INF after rotation"});
}

TEST_F(LoggingTest, RotationCases) {
  std::filesystem::create_directories(mDir + "\\a.b");
  // The setting, the file's path and its backup's. Size 0: every entry rotates first.
  const std::tuple<std::string, std::string, std::string> rows[] = {
      {"zero.txt", mDir + "\\zero.txt", mDir + "\\zero.bak"},
      // The last dot lies in a folder name.
      {mDir + "\\a.b\\log", mDir + "\\a.b\\log", mDir + "\\a.bak"},
  };
  for (const auto& [logFile, path, backup] : rows) {
    LogPars config = pars(true, false);
    config.mLogFile = logFile;
    config.mMaxSize = 0;
    gLog.init(config);
    KXLOG(LOG_INF) << "A" << LOG_END;
    // The header block of the first opening only.
    EXPECT_EQ(fileEntries(backup, logFile, "backup " + backup), Lines{}) << logFile;
    KXLOG(LOG_INF) << "B" << LOG_END;
    EXPECT_EQ(fileEntries(backup, logFile, "backup " + backup), Lines{"INF A"}) << logFile;
    EXPECT_EQ(fileEntries(path, logFile, "file " + path), Lines{"INF B"}) << logFile;
  }
}

TEST_F(LoggingTest, UnremovableBackupIsReportedWithoutTakingTheLockTwice) {
  const std::string backup = mDir + "\\test_log.bak";
  // A folder that is not empty cannot be removed; natively the backup's name holds the '\\'.
  std::filesystem::create_directories(std::filesystem::path(backup) / "inside");
  LogPars config = pars(true, true);
  config.mMaxSize = 0;
  gLog.init(config);
  const std::string header = kxtest::readBinary(logPath());
  clearConsole();
  expectFinishes([] { KXLOG(LOG_INF) << "first" << LOG_END; }, "entry that rotates");
  expectFinishes([] { KXLOG(LOG_INF) << "second" << LOG_END; }, "entry after failed rotation");
  EXPECT_EQ(consoleEntries(),
            (Lines{"ERR '" + backup + "' couldn't be removed!", "INF first", "INF second"}));
  // The file stays closed: nothing more reaches it.
  EXPECT_EQ(kxtest::readBinary(logPath()), header);
  EXPECT_EQ(gLog.backupLogFile(), -2);
}

#ifdef _WIN32
TEST_F(LoggingTest, UnrenamableLogFileIsReportedOnStandardOutput) {
  LogPars config = pars(true, true);
  config.mMaxSize = 0;
  gLog.init(config);
  // Another process holding the file without delete sharing makes the move fail.
  HANDLE holder = CreateFileA(logPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  clearConsole();
  expectFinishes([] { KXLOG(LOG_INF) << "first" << LOG_END; }, "entry that rotates");
  CloseHandle(holder);
  EXPECT_EQ(consoleEntries(),
            (Lines{"File '" + logPath() + "' couldn't be renamed to '" + mDir + "\\test_log.bak'!",
                   "INF first"}));
  EXPECT_FALSE(kxtest::fileExists(mDir + "\\test_log.bak"));
}
#endif

// Values equal to the end marker, operands that throw and a missing marker, from several threads
// at once: every line is one whole entry, and the lock is free afterwards.
TEST_F(LoggingTest, EntriesStayWholeWhateverIsLoggedOrThrown) {
  gLog.init(pars(true, false));
  constexpr int kThreads = 4;
  constexpr int kEntries = 400;
  auto operand = [](int i) -> std::string {
    if (i % 4 == 2) throw std::runtime_error("operand");
    return "x";
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &operand] {
      for (int i = 0; i < kEntries; ++i) {
        switch (i % 4) {
          case 0:
            KXLOG(LOG_INF) << "thread " << t << " entry " << i << " whole" << LOG_END;
            break;
          case 1:
            KXLOG(LOG_INF) << "thread " << t << " entry " << i << " cut"
                           << static_cast<int32_t>(LOG_END) << " lost " << i << LOG_END;
            break;
          case 2:
            try {
              KXLOG(LOG_INF) << "thread " << t << " entry " << i << operand(i) << LOG_END;
            } catch (const std::runtime_error&) {
            }
            break;
          default:
            KXLOG(LOG_INF) << "thread " << t << " entry " << i << " open";
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  expectFinishes([] { KXLOG(LOG_INF) << "after" << LOG_END; }, "an entry after the threads");

  const std::vector<std::string> lines = kxtest::splitLines(kxtest::readBinary(logPath()));
  ASSERT_EQ(lines.size(), 5u + kThreads * kEntries + 1);
  // A thrown operand ends its entry with the text composed before it.
  const std::regex entry(
      ".{12}\\|INF\\|.{6}\\|logging_test\\.cpp\\| *[0-9]+\\| .{32}\\| "
      "thread ([0-9]) entry ([0-9]+)( whole| cut| open|)");
  const char* const kKinds[] = {" whole", " cut", "", " open"};
  std::vector<int> next(kThreads, 0);
  for (size_t i = 5; i + 1 < lines.size(); ++i) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(lines[i], parts, entry)) << "line " << i << ": " << lines[i];
    const int t = std::stoi(parts[1]);
    EXPECT_EQ(std::stoi(parts[2]), next[t]) << "line " << i;
    EXPECT_EQ(parts[3].str(), kKinds[next[t] % 4]) << "line " << i;
    ++next[t];
  }
  EXPECT_EQ(textOf(lines.back()), "after");
}

TEST_F(LoggingTest, HexDumpLayout) {
  const std::string title = "\n       0  1  2  3  4  5  6  7  8  9";
  // Bytes, dump.
  const std::pair<std::string, std::string> rows[] = {
      {"", title},
      {"A\n\x80", title + "\n   0: 41 a ffffff80 "},
      {"0123456789X", title + "\n   0: 30 31 32 33 34 35 36 37 38 39 \n  10: 58 "},
      {std::string("\0\xff\x7f", 3), title + "\n   0: 0 ffffffff 7f "},
  };
  gLog.init(pars(false, true));
  for (const auto& [bytes, expected] : rows) {
    clearConsole();
    // After the dump the entry stays hexadecimal; the next string is plain text again.
    KXLOG(LOG_INF) << "dump" << LOG_HEX << bytes << 255 << "|tail" << LOG_END;
    KXLOG(LOG_INF) << 255 << LOG_END;
    EXPECT_EQ(consoleEntries(), kxtest::splitLines("INF dump" + expected + "ff|tail\nINF 255"))
        << ::testing::PrintToString(bytes);
  }
  clearConsole();
  KXLOG(LOG_INF) << LOG_HEX << std::string(101, 'a') << LOG_END;
  EXPECT_NE(console().find("\n  90: 61 "), std::string::npos) << console();
  EXPECT_NE(console().find("\n 100: 61 \n"), std::string::npos) << console();
}

TEST_F(LoggingTest, CommandValuesAreNeverPrinted) {
  gLog.init(pars(false, true));
  KXLOG(LOG_INF) << "ends here" << static_cast<int32_t>(314159);
  KXLOG(LOG_INF) << "value " << -5 << " " << 314158 << " " << 271829 << LOG_END;
  EXPECT_EQ(consoleEntries(), (Lines{"INF ends here", "INF value -5 314158 271829"}));
}

TEST_F(LoggingTest, NothingHappensWithoutTheMarker) {
  gLog.init(pars(false, true));
  int evaluated = 0;
  gLogMagic = 0;
  KXLOG(LOG_ERR) << (++evaluated, "x") << LOG_END;
  gLogMagic = LOG_MAGIC;
  EXPECT_EQ(evaluated, 0);
  EXPECT_EQ(console(), "");
}

}  // namespace
