#include "settings_keys.h"

#include "settings.h"

namespace {

SettingsKey programKey(const char* key, std::string Settings::*member, bool isAtStart = false) {
  SettingsKey row{"PROGRAM", key, SettingsKey::kText, isAtStart};
  row.mProgramText = member;
  return row;
}
SettingsKey programKey(const char* key, int32_t Settings::*member) {
  SettingsKey row{"PROGRAM", key, SettingsKey::kNumber, false};
  row.mProgramNumber = member;
  return row;
}
SettingsKey programKey(const char* key, bool Settings::*member, bool isAtStart = false) {
  SettingsKey row{"PROGRAM", key, SettingsKey::kFlag, isAtStart};
  row.mProgramFlag = member;
  return row;
}
SettingsKey logKey(const char* key, std::string LogPars::*member, bool isAtStart = false) {
  SettingsKey row{"LOGGING", key, SettingsKey::kText, isAtStart};
  row.mLogText = member;
  return row;
}
SettingsKey logKey(const char* key, int32_t LogPars::*member) {
  SettingsKey row{"LOGGING", key, SettingsKey::kNumber, false};
  row.mLogNumber = member;
  return row;
}
SettingsKey logKey(const char* key, bool LogPars::*member) {
  SettingsKey row{"LOGGING", key, SettingsKey::kFlag, false};
  row.mLogFlag = member;
  return row;
}

}  // namespace

const std::vector<SettingsKey>& SettingsKey::all() {
  static const std::vector<SettingsKey> sKeys = {
      programKey("name", &Settings::mName),
      programKey("version", &Settings::mVersion),
      programKey("transSensBase", &Settings::mTraSensBase),
      programKey("rotSensBase", &Settings::mRotSensBase),
      programKey("minThreshold", &Settings::mMinThreshold),
      programKey("maxContMoveTime", &Settings::mMaxContMoveTime),
      programKey("maxFrameTime", &Settings::mMaxFrameTime),
      programKey("blockTransInRotMode", &Settings::mIsTransToBlock),
      programKey("scrollTreeAndList", &Settings::mScrollTreeAndList),
      programKey("readMode", &Settings::mIsModeToRead),
      programKey("mnuLanguage", &Settings::mMNULanguage, true),
      programKey("useMapkeyForCommands", &Settings::mUseMapkeyForCommands, true),
      programKey("mapkeyDefinition", &Settings::mMapkeyDefinition, true),
      logKey("logFile", &LogPars::mLogFile),
      logKey("maxSize", &LogPars::mMaxSize),
      logKey("logToFile", &LogPars::mIsLogToFile),
      logKey("logToCnsl", &LogPars::mIsLogToCnsl),
      logKey("warning", &LogPars::mIsWarning),
      logKey("creation", &LogPars::mIsCreation),
      logKey("trace", &LogPars::mIsTrace),
      logKey("devcom", &LogPars::mIsDevCom),
      logKey("intcom", &LogPars::mIsIntCom),
      logKey("info", &LogPars::mIsInfo),
      logKey("debug", &LogPars::mIsDebug),
      logKey("tmp", &LogPars::mIsTmp),
      logKey("fileToLog", &LogPars::mExclFileToLog, true),
  };
  return sKeys;
}

std::string SettingsKey::text(const Settings& s) const {
  if (mProgramText) return s.*mProgramText;
  if (mProgramNumber) return std::to_string(s.*mProgramNumber);
  if (mProgramFlag) return s.*mProgramFlag ? "on" : "off";
  if (mLogText) return s.mLogPars.*mLogText;
  if (mLogNumber) return std::to_string(s.mLogPars.*mLogNumber);
  return s.mLogPars.*mLogFlag ? "on" : "off";
}

void SettingsKey::copy(const Settings& from, Settings& to) const {
  if (mProgramText) to.*mProgramText = from.*mProgramText;
  if (mProgramNumber) to.*mProgramNumber = from.*mProgramNumber;
  if (mProgramFlag) to.*mProgramFlag = from.*mProgramFlag;
  if (mLogText) to.mLogPars.*mLogText = from.mLogPars.*mLogText;
  if (mLogNumber) to.mLogPars.*mLogNumber = from.mLogPars.*mLogNumber;
  if (mLogFlag) to.mLogPars.*mLogFlag = from.mLogPars.*mLogFlag;
}
