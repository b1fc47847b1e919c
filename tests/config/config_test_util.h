// Helpers shared by the configuration, log and catalogue tests: byte-exact file access and capture
// of the log's console output; with the temporary folders and environment of all tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "environment.h"
#include "log_pars.h"
#include "test_folder.h"

namespace kxtest {

bool fileExists(const std::string& path);
void writeBinary(const std::string& path, const std::string& bytes);
// LF line ends become CR LF, as Windows text mode writes them.
std::string toCrLf(const std::string& text);
// What a text-mode write of the LF text leaves in the file: CR LF lines on Windows, the text itself
// in the native build.
std::string textModeBytes(const std::string& text);
std::vector<std::string> splitLines(const std::string& text);
// How often the piece occurs in the text, overlapping occurrences included.
size_t countOf(const std::string& text, const std::string& piece);
// A path of the Unix side as Wine shows it, under drive Z:.
std::string wineZPath(const std::string& unixPath);
// Every switch off: the state the log has before the add-in configures it.
LogPars quietLogPars();

// A test with a temporary folder of its own and the log's console output captured in a temporary
// file; the log is quiet again and the folder gone at its end.
class LogTest : public ::testing::Test {
 protected:
  LogTest();
  ~LogTest() override;
  LogTest(const LogTest&) = delete;
  LogTest& operator=(const LogTest&) = delete;

  // The log on the console only, with the given entry types besides errors; the capture emptied.
  void logToConsole(std::initializer_list<bool LogPars::*> switches);
  std::string console() const;
  void clearConsole();
  bool consoleHas(const std::string& text) const {
    return console().find(text) != std::string::npos;
  }
  // The first console line holding the text, without its line end; empty when there is none.
  std::string consoleLine(const std::string& text) const;

  const std::string mDir;

 private:
  FILE* mConsole;
};
}  // namespace kxtest
