// Placeholder: the log settings record; replaced by the full implementation.
#pragma once

#include <cstdint>
#include <string>

class LogPars {
 public:
  std::string mSectionName = "LOGGING";
  std::string mSettingsDirPath;
  std::string mLogFile = "Creo_plugin_log.txt";
  int32_t mMaxSize = 5000;
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
