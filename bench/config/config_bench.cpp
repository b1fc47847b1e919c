// Speed figures of the log and the settings: what a refused entry costs the caller, what a written
// entry costs beside bare writes of the same line, and how long reading the settings file takes.
// Prints figures, asserts nothing.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cnfg.h"
#include "logging.h"
#include "settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double nanosecondsPer(Clock::time_point start, long count) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(count);
}

template <typename Work>
double nanosecondsEach(long count, Work work) {
  const Clock::time_point start = Clock::now();
  for (long i = 0; i < count; ++i) work(i);
  return nanosecondsPer(start, count);
}

constexpr long kWritten = 4000;
constexpr int kRounds = 7;

// The last line of a text file, with its line end.
std::string lastLine(const std::string& path) {
  std::string line;
  if (FILE* file = std::fopen(path.c_str(), "r")) {
    char buffer[1024];
    while (std::fgets(buffer, sizeof(buffer), file)) line = buffer;
    std::fclose(file);
  }
  return line;
}

// The line written kWritten times with an fwrite and an fflush each, to a file opened in this
// mode.
double bareStreamWrite(const std::string& path, const char* mode, const std::string& line) {
  FILE* file = std::fopen(path.c_str(), mode);
  if (!file) return 0;
  const double ns = nanosecondsEach(kWritten, [&](long) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fflush(file);
  });
  std::fclose(file);
  return ns;
}

// The same with WriteFile to a handle opened for appending only, as the log writes.
double bareAppendWrite(const std::string& path, const std::string& line) {
  const HANDLE file =
      CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const double ns = nanosecondsEach(kWritten, [&](long) {
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  });
  CloseHandle(file);
  return ns;
}

// The written entry beside three bare writes of its line, taken in turns and the fastest round of
// each kept: the machine is shared, and other work only ever adds time. The cheapest bare write,
// to a file opened "w", writes where it stands and never looks for the file's end, which the log
// must do (two host sessions may share one log file); it is the baseline of the target all the
// same.
void logEntryFigures(LogPars pars, const std::string& folder) {
  pars.mIsLogToFile = true;
  pars.mIsInfo = true;
  const std::string logPath = folder + "\\" + pars.mLogFile;
  double entryNs = 1e12, truncatingNs = 1e12, appendingNs = 1e12, handleNs = 1e12;
  std::string line;
  for (int round = 0; round < kRounds; ++round) {
    gLog.init(pars);
    entryNs = std::min(entryNs, nanosecondsEach(kWritten, [](long i) {
                         KXLOG(LOG_INF) << "written entry " << i << " with some text" << LOG_END;
                       }));
    gLog.init(LogPars());
    if (round == 0) line = lastLine(logPath);
    truncatingNs = std::min(truncatingNs, bareStreamWrite(folder + "\\bare_log.txt", "w", line));
    appendingNs =
        std::min(appendingNs, bareStreamWrite(folder + "\\bare_append_log.txt", "a", line));
    handleNs = std::min(handleNs, bareAppendWrite(folder + "\\bare_handle_log.txt", line));
  }
  std::printf(
      "entry written to the file:          %8.1f us, %.2f times a bare fwrite and fflush of its "
      "%zu-byte line to a file opened \"w\" (%.1f us)\n",
      entryNs / 1000.0, entryNs / truncatingNs, line.size(), truncatingNs / 1000.0);
  std::printf(
      "  beside it the same bare write to a file opened \"a\" (moves to the end first): %.1f us, "
      "the entry %.2f times that;\n  WriteFile of the line to a handle opened for appending only "
      "(the log's own write): %.1f us, the entry %.2f times that (fastest of %d rounds each)\n",
      appendingNs / 1000.0, entryNs / appendingNs, handleNs / 1000.0, entryNs / handleNs, kRounds);
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  fs::path home = fs::temp_directory_path() / ("kx_bench_" + std::to_string(GetCurrentProcessId()));
  fs::remove_all(home);
  fs::create_directories(home / "Korvexpad" / "Applications");
  const std::string homeDir = home.make_preferred().string();
  _putenv_s("USERPROFILE", homeDir.c_str());

  LogPars pars;
  pars.mSettingsDirPath = homeDir + "\\Korvexpad";
  pars.mLogFile = "bench_log.txt";
  pars.mMaxSize = 1000000;
  gLog.init(pars);
  std::printf("refused entry (type switched off): %8.1f ns\n", nanosecondsEach(2000000, [](long i) {
                KXLOG(LOG_DBG) << "refused " << i << LOG_END;
              }));

  logEntryFigures(pars, pars.mSettingsDirPath);

  pars.mIsLogToFile = true;
  pars.mIsInfo = true;
  pars.mMaxSize = 0;
  gLog.init(pars);
  std::printf("entry with rotation before it:      %8.1f us\n",
              nanosecondsEach(500, [](long i) {
                KXLOG(LOG_INF) << "rotating entry " << i << LOG_END;
              }) / 1000.0);
  gLog.init(LogPars());

  { Settings first; }  // writes the default file
  std::printf("settings read and rewritten:        %8.1f us\n",
              nanosecondsEach(200, [](long) { Settings settings; }) / 1000.0);

  Cnfg cnfg;
  cnfg.open(homeDir + "\\Korvexpad\\Applications\\Creo_plugin.ini");
  std::string value;
  std::printf("key lookup (rewinds the file):      %8.1f us\n",
              nanosecondsEach(20000, [&](long i) {
                cnfg.getParameter(i % 2 ? "fileToLog" : "name", value,
                                  i % 2 ? "LOGGING" : "PROGRAM");
              }) / 1000.0);

  std::error_code ignored;
  fs::remove_all(home, ignored);
  return 0;
}
