#include "settings_keys.h"

#include <type_traits>

#include "settings.h"

namespace {

void assign(SettingsKey& row, std::string Settings::*member) { row.mProgramText = member; }
void assign(SettingsKey& row, int32_t Settings::*member) { row.mProgramNumber = member; }
void assign(SettingsKey& row, bool Settings::*member) { row.mProgramFlag = member; }
void assign(SettingsKey& row, std::string LogPars::*member) { row.mLogText = member; }
void assign(SettingsKey& row, int32_t LogPars::*member) { row.mLogNumber = member; }
void assign(SettingsKey& row, bool LogPars::*member) { row.mLogFlag = member; }

// A row for a member of Settings ([PROGRAM]) or of LogPars ([LOGGING]).
template <typename Owner, typename T>
SettingsKey key(const char* name, T Owner::*member, bool isReadAtStartOnly = false) {
  const SettingsKey::Kind kind = std::is_same_v<T, bool>      ? SettingsKey::kFlag
                                 : std::is_same_v<T, int32_t> ? SettingsKey::kNumber
                                                              : SettingsKey::kText;
  SettingsKey row{std::is_same_v<Owner, Settings> ? "PROGRAM" : "LOGGING", name, kind,
                  isReadAtStartOnly};
  assign(row, member);
  return row;
}

}  // namespace

const std::vector<SettingsKey>& SettingsKey::all() {
  static const std::vector<SettingsKey> sKeys = {
      key("name", &Settings::mName),
      key("version", &Settings::mVersion),
      key("transSensBase", &Settings::mTraSensBase),
      key("rotSensBase", &Settings::mRotSensBase),
      key("minThreshold", &Settings::mMinThreshold),
      key("maxContMoveTime", &Settings::mMaxContMoveTime),
      key("maxFrameTime", &Settings::mMaxFrameTime),
      key("blockTransInRotMode", &Settings::mIsTransToBlock),
      key("scrollTreeAndList", &Settings::mScrollTreeAndList),
      key("readMode", &Settings::mIsModeToRead),
      key("mnuLanguage", &Settings::mMNULanguage, true),
      key("useMapkeyForCommands", &Settings::mUseMapkeyForCommands, true),
      key("mapkeyDefinition", &Settings::mMapkeyDefinition, true),
      key("logFile", &LogPars::mLogFile),
      key("maxSize", &LogPars::mMaxSize),
      key("logToFile", &LogPars::mIsLogToFile),
      key("logToCnsl", &LogPars::mIsLogToCnsl),
      key("warning", &LogPars::mIsWarning),
      key("creation", &LogPars::mIsCreation),
      key("trace", &LogPars::mIsTrace),
      key("devcom", &LogPars::mIsDevCom),
      key("intcom", &LogPars::mIsIntCom),
      key("info", &LogPars::mIsInfo),
      key("debug", &LogPars::mIsDebug),
      key("tmp", &LogPars::mIsTmp),
      key("fileToLog", &LogPars::mExclFileToLog, true),
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
