// The log settings: the [LOGGING] section of the settings file and the configuration of the log.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

class Cnfg;

class LogPars {
 public:
  // Defaults live in the member initialisers so the log can use the record without this library's
  // object file (the log library sits below the plug-in classes).
  LogPars() = default;

  // Reads every key of the section; returns errorsSoFar plus the sum of the lookup codes.
  uint32_t readParameters(Cnfg& cnfg, uint32_t errorsSoFar);
  void writeSection(std::ostream& out) const;
  std::string toString(const std::string& indent) const;

  std::string mSectionName = "LOGGING";
  std::string mSettingsDirPath;
  std::string mLogFile = "Creo_plugin_log.txt";
  int32_t mMaxSize = 5000;  // kB of 1000 bytes
  bool mIsLogToFile = false;
  bool mIsLogToCnsl = false;
  bool mIsWarning = false;
  bool mIsCreation = false;
  bool mIsTrace = false;
  bool mIsDevCom = false;
  bool mIsIntCom = false;
  bool mIsInfo = false;
  bool mIsDebug = false;
  bool mIsTmp = false;
  std::string mExclFileToLog;
};
