#include "log_pars.h"

#include <ostream>
#include <sstream>

#include "cnfg.h"
#include "settings.h"

uint32_t LogPars::readParameters(Cnfg& cnfg, uint32_t errorsSoFar) {
  uint32_t errors = errorsSoFar;
  std::string value;
  auto lookUp = [&](const char* key) -> const std::string& {
    value.clear();
    errors += Settings::readParameter(cnfg, key, value, mSectionName);
    return value;
  };
  mLogFile = lookUp("logFile");
  mMaxSize = Settings::toInt32(lookUp("maxSize"));
  mIsLogToFile = Settings::toFlag(lookUp("logToFile"));
  mIsLogToCnsl = Settings::toFlag(lookUp("logToCnsl"));
  mIsWarning = Settings::toFlag(lookUp("warning"));
  mIsCreation = Settings::toFlag(lookUp("creation"));
  mIsTrace = Settings::toFlag(lookUp("trace"));
  mIsDevCom = Settings::toFlag(lookUp("devcom"));
  mIsIntCom = Settings::toFlag(lookUp("intcom"));
  mIsInfo = Settings::toFlag(lookUp("info"));
  mIsDebug = Settings::toFlag(lookUp("debug"));
  mIsTmp = Settings::toFlag(lookUp("tmp"));
  mExclFileToLog = lookUp("fileToLog");
  return errors;
}

void LogPars::writeSection(std::ostream& out) const {
  auto flag = [](bool on) { return std::string(on ? "on" : "off"); };
  out << "[" << mSectionName << "]\n";
  Settings::writeKeyLine(out, "logFile", mLogFile, "# name of log file");
  Settings::writeKeyLine(out, "maxSize", std::to_string(mMaxSize), "# max. size of log file (kB)");
  Settings::writeKeyLine(out, "logToFile", flag(mIsLogToFile),
                         "# log into log file:               off/on");
  Settings::writeKeyLine(out, "logToCnsl", flag(mIsLogToCnsl),
                         "# log to console:                  off/on");
  Settings::writeKeyLine(out, "warning", flag(mIsWarning),
                         "# log warnings:                    off/on");
  Settings::writeKeyLine(out, "creation", flag(mIsCreation),
                         "# log creation etc.:               off/on");
  Settings::writeKeyLine(out, "trace", flag(mIsTrace), "# log trace data:                  off/on");
  Settings::writeKeyLine(out, "devcom", flag(mIsDevCom), "# not used in this plug-in");
  Settings::writeKeyLine(out, "intcom", flag(mIsIntCom),
                         "# log internal communication data: off/on");
  Settings::writeKeyLine(out, "info", flag(mIsInfo), "# log info data:                   off/on");
  Settings::writeKeyLine(out, "debug", flag(mIsDebug), "# log debug data:                  off/on");
  Settings::writeKeyLine(out, "tmp", flag(mIsTmp), "# log data of temporal interest:   off/on");
  Settings::writeKeyLine(out, "fileToLog", mExclFileToLog, "# name of the exclusively logged file");
}

std::string LogPars::toString(const std::string& indent) const {
  std::ostringstream out;
  out << indent << "    mSectionName: " << mSectionName << '\n'
      << indent << "mSettingsDirPath: " << mSettingsDirPath << '\n'
      << indent << "        mLogFile: " << mLogFile << '\n'
      << indent << "        mMaxSize: " << mMaxSize << '\n'
      << indent << "    mIsLogToFile: " << mIsLogToFile << '\n'
      << indent << "    mIsLogToCnsl: " << mIsLogToCnsl << '\n'
      << indent << "      mIsWarning: " << mIsWarning << '\n'
      << indent << "     mIsCreation: " << mIsCreation << '\n'
      << indent << "        mIsTrace: " << mIsTrace << '\n'
      << indent << "       mIsDevCom: " << mIsDevCom << '\n'
      << indent << "       mIsIntCom: " << mIsIntCom << '\n'
      << indent << "         mIsInfo: " << mIsInfo << '\n'
      << indent << "        mIsDebug: " << mIsDebug << '\n'
      << indent << "          mIsTmp: " << mIsTmp << '\n'
      << indent << "  mExclFileToLog: " << mExclFileToLog;
  return out.str();
}
