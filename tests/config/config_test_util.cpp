#include "config_test_util.h"

#include "logging.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kxtest {

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

void writeBinary(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write test file " + path);
}

std::string toCrLf(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

std::string textModeBytes(const std::string& text) {
#ifdef _WIN32
  return toCrLf(text);
#else
  return text;
#endif
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

size_t countOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

std::string wineZPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

LogPars quietLogPars() {
  LogPars pars;
  pars.mLogFile = "c:\\def_log.txt";
  return pars;
}

LogTest::LogTest() : mDir(makeTempDir("test")), mConsole(std::tmpfile()) {
  Logging::sConsoleStream = mConsole;
}

LogTest::~LogTest() {
  gLog.init(quietLogPars());
  Logging::sConsoleStream = nullptr;
  if (mConsole) std::fclose(mConsole);
  removeTree(mDir);
}

void LogTest::logToConsole(std::initializer_list<bool LogPars::*> switches) {
  LogPars pars = quietLogPars();
  pars.mIsLogToCnsl = true;
  for (bool LogPars::*flag : switches) pars.*flag = true;
  gLog.init(pars);
  clearConsole();
}

std::string LogTest::console() const {
  if (!mConsole) return "<no temporary file for the console>";
  std::fflush(mConsole);
  std::rewind(mConsole);
  std::string text;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), mConsole)) > 0) text.append(buffer, count);
  std::fseek(mConsole, 0, SEEK_END);
  return text;
}

void LogTest::clearConsole() {
  if (mConsole) std::fclose(mConsole);
  mConsole = std::tmpfile();
  Logging::sConsoleStream = mConsole;
}

std::string LogTest::consoleLine(const std::string& text) const {
  for (const std::string& line : splitLines(console())) {
    if (line.find(text) != std::string::npos) return line;
  }
  return std::string();
}

}  // namespace kxtest
