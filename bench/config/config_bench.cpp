// Speed figures of the log and the settings: what a refused entry costs the caller, what a written
// entry costs, and how long reading the settings file takes. Prints figures, asserts nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cnfg.h"
#include "logging.h"
#include "settings.h"

#ifdef _WIN32
#include <process.h>
#define KX_BENCH_GETPID _getpid
#else
#include <unistd.h>
#define KX_BENCH_GETPID getpid
#endif

namespace {

using Clock = std::chrono::steady_clock;

double nanosecondsPer(Clock::time_point start, long count) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(count);
}

void setProfile(const std::string& dir) {
#ifdef _WIN32
  _putenv_s("USERPROFILE", dir.c_str());
#else
  setenv("USERPROFILE", dir.c_str(), 1);
#endif
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  fs::path home = fs::temp_directory_path() / ("kx_bench_" + std::to_string(KX_BENCH_GETPID()));
  fs::remove_all(home);
  fs::create_directories(home / "Korvexpad" / "Applications");
  const std::string homeDir = home.make_preferred().string();
  setProfile(homeDir);

  LogPars pars;
  pars.mSettingsDirPath = homeDir + "\\Korvexpad";
  pars.mLogFile = "bench_log.txt";
  pars.mMaxSize = 1000000;
  gLog.init(pars);

  constexpr long kRefused = 2000000;
  auto start = Clock::now();
  for (long i = 0; i < kRefused; ++i) {
    KXLOG(LOG_DBG) << "refused " << i << LOG_END;
  }
  std::printf("refused entry (type switched off): %8.1f ns\n", nanosecondsPer(start, kRefused));

  pars.mIsLogToFile = true;
  pars.mIsInfo = true;
  gLog.init(pars);
  constexpr long kWritten = 20000;
  start = Clock::now();
  for (long i = 0; i < kWritten; ++i) {
    KXLOG(LOG_INF) << "written entry " << i << " with some text" << LOG_END;
  }
  const double entryNs = nanosecondsPer(start, kWritten);
  // The baseline: the last line the log wrote, written as often with a bare fwrite and fflush.
  const std::string logPath = homeDir + "\\Korvexpad\\bench_log.txt";
  std::string line;
  if (FILE* log = std::fopen(logPath.c_str(), "r")) {
    char buffer[1024];
    while (std::fgets(buffer, sizeof(buffer), log)) line = buffer;
    std::fclose(log);
  }
  // Two bare writes of that line, each an fwrite and an fflush per line: to a file opened "a", the
  // mode the log itself must use (two host sessions may share one log file, and appending keeps
  // both sessions' lines), and to a file opened "w", which writes where it stands without moving to
  // the file's end first and so does less than the log may. The entry's ratio is taken to the
  // append-mode write, the like-for-like one; the other is printed beside it.
  auto bareWrite = [&](const char* mode, const char* name) {
    FILE* bare = std::fopen((homeDir + "\\Korvexpad\\" + name).c_str(), mode);
    const Clock::time_point begin = Clock::now();
    for (long i = 0; bare && i < kWritten; ++i) {
      std::fwrite(line.data(), 1, line.size(), bare);
      std::fflush(bare);
    }
    const double ns = nanosecondsPer(begin, kWritten);
    if (bare) std::fclose(bare);
    return ns;
  };
  const double appendNs = bareWrite("a", "bare_append_log.txt");
  const double truncateNs = bareWrite("w", "bare_log.txt");
  std::printf(
      "entry written to the file:          %8.1f us, %.2f times a bare fwrite and fflush of its "
      "%zu-byte line to a file opened for appending (\"a\", as the log is) (%.1f us)\n",
      entryNs / 1000.0, entryNs / appendNs, line.size(), appendNs / 1000.0);
  std::printf(
      "  beside it the same bare write to a file opened \"w\" (no move to the end): %.1f us, "
      "the entry %.2f times that\n",
      truncateNs / 1000.0, entryNs / truncateNs);

  pars.mMaxSize = 0;
  gLog.init(pars);
  constexpr long kRotated = 500;
  start = Clock::now();
  for (long i = 0; i < kRotated; ++i) {
    KXLOG(LOG_INF) << "rotating entry " << i << LOG_END;
  }
  std::printf("entry with rotation before it:      %8.1f us\n",
              nanosecondsPer(start, kRotated) / 1000.0);
  gLog.init(LogPars());

  { Settings first; }  // writes the default file
  constexpr long kReads = 200;
  start = Clock::now();
  for (long i = 0; i < kReads; ++i) {
    Settings settings;
  }
  std::printf("settings read and rewritten:        %8.1f us\n",
              nanosecondsPer(start, kReads) / 1000.0);

  const std::string iniPath = homeDir + "\\Korvexpad\\Applications\\Creo_plugin.ini";
  Cnfg cnfg;
  cnfg.open(iniPath);
  constexpr long kLookups = 20000;
  std::string value;
  start = Clock::now();
  for (long i = 0; i < kLookups; ++i) {
    cnfg.getParameter(i % 2 ? "fileToLog" : "name", value, i % 2 ? "LOGGING" : "PROGRAM");
  }
  std::printf("key lookup (rewinds the file):      %8.1f us\n",
              nanosecondsPer(start, kLookups) / 1000.0);

  std::error_code ignored;
  fs::remove_all(home, ignored);
  return 0;
}
