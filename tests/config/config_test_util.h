// Helpers shared by the configuration, log and catalogue tests: temporary folders, byte-exact file
// access, environment variables and capture of the log's console output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "log_pars.h"

namespace kxtest {

// A new empty folder under the system's temporary folder; native separators.
std::string makeTempDir(const std::string& tag);
void removeTree(const std::string& path);
bool fileExists(const std::string& path);
std::string readBinary(const std::string& path);
void writeBinary(const std::string& path, const std::string& bytes);
// LF line ends become CR LF, as Windows text mode writes them.
std::string toCrLf(const std::string& text);
// What a text-mode write of the LF text leaves in the file: CR LF lines on Windows, the text itself
// in the native build.
std::string textModeBytes(const std::string& text);
std::vector<std::string> splitLines(const std::string& text);
// A path of the Unix side as Wine shows it, under drive Z:.
std::string wineZPath(const std::string& unixPath);
// nullptr unsets the variable.
void setEnv(const char* name, const char* value);
// Returns false when the variable is unset.
bool getEnv(const char* name, std::string& value);
// Every switch off: the state the log has before the add-in configures it.
LogPars quietLogPars();

// The log's console output, captured in a temporary file.
class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;
  std::string text() const;
  void clear();

 private:
  FILE* mFile;
};

// A test with a temporary folder of its own and the log's console output captured; the log is quiet
// again and the folder gone at its end.
class LogTest : public ::testing::Test {
 protected:
  LogTest();
  ~LogTest() override;
  std::string console() const { return mCapture.text(); }
  bool consoleHas(const std::string& text) const {
    return console().find(text) != std::string::npos;
  }

  const std::string mDir;
  ConsoleCapture mCapture;
};
}  // namespace kxtest
