#include "config_test_util.h"

#include "logging.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#define KX_TEST_GETPID _getpid
#else
#include <unistd.h>
#define KX_TEST_GETPID getpid
#endif

namespace fs = std::filesystem;

namespace kxtest {

std::string makeTempDir(const std::string& tag) {
  static std::atomic<int> counter{0};
  // Test programs run in parallel: the process id keeps their folders apart.
  const auto stamp = std::to_string(KX_TEST_GETPID()) + "_" + std::to_string(counter++);
  fs::path dir = fs::temp_directory_path() / ("kx_" + tag + "_" + stamp);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.make_preferred().string();
}

void removeTree(const std::string& path) {
  std::error_code ignored;
  fs::remove_all(path, ignored);
#ifndef _WIN32
  // The product joins paths with '\\': natively "dir\\name" is a file beside dir, not in it.
  const fs::path dir(path);
  const std::string prefix = dir.filename().string() + "\\";
  std::vector<fs::path> beside;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.parent_path(), ignored)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) beside.push_back(entry.path());
  }
  for (const fs::path& entry : beside) fs::remove_all(entry, ignored);
#endif
}

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

std::string readBinary(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeBinary(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write test file " + path);
}

std::string toCrLf(const std::string& text) {
  std::string result;
  result.reserve(text.size() + text.size() / 16);
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

std::string wineZPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void setEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

bool getEnv(const char* name, std::string& value) {
  const char* text = std::getenv(name);
  if (text == nullptr) return false;
  value = text;
  return true;
}

LogPars quietLogPars() {
  LogPars pars;
  pars.mLogFile = "c:\\def_log.txt";
  return pars;
}

ConsoleCapture::ConsoleCapture() : mFile(std::tmpfile()) { Logging::sConsoleStream = mFile; }

ConsoleCapture::~ConsoleCapture() {
  Logging::sConsoleStream = nullptr;
  if (mFile) std::fclose(mFile);
}

std::string ConsoleCapture::text() const {
  if (!mFile) return "<no temporary file for the console>";
  std::fflush(mFile);
  std::rewind(mFile);
  std::string text;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), mFile)) > 0) text.append(buffer, count);
  std::fseek(mFile, 0, SEEK_END);
  return text;
}

void ConsoleCapture::clear() {
  if (mFile) std::fclose(mFile);
  mFile = std::tmpfile();
  Logging::sConsoleStream = mFile;
}

LogTest::LogTest() : mDir(makeTempDir("test")) {}

LogTest::~LogTest() {
  gLog.init(quietLogPars());
  removeTree(mDir);
}

}  // namespace kxtest
