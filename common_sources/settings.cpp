#include "settings.h"

#include <climits>
#include <cstdlib>
#include <sstream>

#include "cnfg.h"
#include "file_commit.h"
#include "kx_version.h"
#include "logging.h"

namespace {

const char* const kProgramSection = "PROGRAM";

std::string flagText(bool flag) { return flag ? "on" : "off"; }

// USERPROFILE is always set on Windows. Without it (a stripped environment, or a native build)
// HOME is used, and failing that the current directory, so the paths stay usable.
std::string homeDirectory() {
  for (const char* name : {"USERPROFILE", "HOME"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return ".";
}

}  // namespace

std::vector<std::string>* Settings::sLookupFailuresP = nullptr;

void Settings::buildPaths() {
  mProductDirName = "Korvexpad";
  mFileName = "Creo_plugin.ini";
  mApplDirName = "Applications";
  mHomeDir = homeDirectory();
  const std::string productDir = mHomeDir + "\\" + mProductDirName;
  mApplDirPath = productDir + "\\" + mApplDirName;
  mFilePath = mApplDirPath + "\\" + mFileName;
  mLogPars.mSettingsDirPath = productDir;
}

Settings::Settings(Detached) {
  buildPaths();
  const std::string productDir = mLogPars.mSettingsDirPath;
  setDefaults();
  mLogPars.mSettingsDirPath = productDir;
  mIsFileToWrite = false;
}

Settings::Settings() {
  buildPaths();
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;

  gLog.mLogPars.mSettingsDirPath = mLogPars.mSettingsDirPath;

  if (readSettingsFile(mFilePath) < 0) {
    KXLOG(LOG_INF) << "Settings file not found - using default values ..." << LOG_END;
    setDefaults();
    writeSettingsFile(mFilePath);
  }
  KXLOG(LOG_INF) << "\n" << toString() << LOG_END;
  KXLOG(LOG_CRT) << "Constructed." << LOG_END;
}

Settings::~Settings() {
  try {
    if (mIsFileToWrite) writeSettingsFile(mFilePath);
    KXLOG(LOG_CRT) << "Destructed." << LOG_END;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error ~Settings()" << LOG_END;
  }
}

int Settings::readParameter(Cnfg& cnfg, const std::string& key, std::string& value,
                            const std::string& section) {
  const int result = static_cast<int>(cnfg.getParameter(key, value, section));
  if (result != 0) {
    KXLOG(LOG_ERR) << cnfg.getErrorText() << LOG_END;
    if (sLookupFailuresP) sLookupFailuresP->push_back(cnfg.getErrorText());
  }
  return result;
}

int32_t Settings::toInt32(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool Settings::toFlag(const std::string& text) { return text.find("on") != std::string::npos; }

void Settings::writeKeyLine(std::ostream& out, const std::string& key, const std::string& value,
                            const char* comment) {
  out << '\t' << std::left;
  out.width(24);
  out << key << "= ";
  out.width(50);
  out << value << comment << '\n';
}

int Settings::readSettingsFile(const std::string& path) try {
  uint32_t errors = 0;
  {
    Cnfg cnfg;
    if (cnfg.open(path) != CNFG_OK) return -1;
    std::string value;
    auto readText = [&](const char* key, std::string& member) {
      value.clear();
      errors += readParameter(cnfg, key, value, kProgramSection);
      member = value;
    };
    auto readNumber = [&](const char* key, int32_t& member) {
      value.clear();
      errors += readParameter(cnfg, key, value, kProgramSection);
      member = toInt32(value);
    };
    auto readFlag = [&](const char* key, bool& member) {
      value.clear();
      errors += readParameter(cnfg, key, value, kProgramSection);
      member = toFlag(value);
    };
    readText("name", mName);
    readText("version", mVersion);
    readNumber("transSensBase", mTraSensBase);
    readNumber("rotSensBase", mRotSensBase);
    readNumber("minThreshold", mMinThreshold);
    readNumber("maxContMoveTime", mMaxContMoveTime);
    readNumber("maxFrameTime", mMaxFrameTime);
    readFlag("blockTransInRotMode", mIsTransToBlock);
    readFlag("scrollTreeAndList", mScrollTreeAndList);
    readFlag("readMode", mIsModeToRead);
    readText("mnuLanguage", mMNULanguage);
    readFlag("useMapkeyForCommands", mUseMapkeyForCommands);
    readText("mapkeyDefinition", mMapkeyDefinition);
    errors = mLogPars.readParameters(cnfg, errors);
  }
  if (errors != 0) {
    KXLOG(LOG_ERR) << "Error reading settings file!" << LOG_END;
    return -2;
  }
  return 0;
} catch (...) {
  KXLOG(LOG_ERR) << "Error readSettingsFile()" << LOG_END;
  return -2;
}

int Settings::writeSettingsFile(const std::string& path) try {
  KXLOG(LOG_TRC) << "Writing new default settings file ..." << LOG_END;
  std::ostringstream out;
  out << std::left;
  out << "# Configuration file for Korvex's Creo Plug-in\n\n[PROGRAM]\n";
  writeKeyLine(out, "name", mName, "# program's name");
  writeKeyLine(out, "version", mVersion, "# program's version number");
  writeKeyLine(out, "transSensBase", std::to_string(mTraSensBase),
               "# base sensitivity divisor for translation");
  writeKeyLine(out, "rotSensBase", std::to_string(mRotSensBase),
               "# base sensitivity divisor for rotation");
  writeKeyLine(out, "minThreshold", std::to_string(mMinThreshold),
               "# minimal threshold (overrides setting in control panel)");
  writeKeyLine(out, "maxContMoveTime", std::to_string(mMaxContMoveTime),
               "# maximal time for continuous cap movement in milliseconds");
  writeKeyLine(out, "maxFrameTime", std::to_string(mMaxFrameTime),
               "# this parameter is obsolete and not longer used");
  writeKeyLine(out, "blockTransInRotMode", flagText(mIsTransToBlock),
               "# if true translation is blocked while Creo is in rotation mode (on/off)");
  writeKeyLine(out, "scrollTreeAndList", flagText(mScrollTreeAndList),
               "# scroll trees and lists within Creo if the mouse is above (on/off)");
  writeKeyLine(out, "readMode", flagText(mIsModeToRead),
               "# ask Creo for the mode it is in: off/on (on disables the undo stack due to a bug "
               "in Creo)");
  writeKeyLine(out, "mnuLanguage", mMNULanguage,
               "# if set, this string is used for finding the compiled resources DLL (e.g. "
               "pro_default_xxxxxx_resources.dll)");
  writeKeyLine(out, "useMapkeyForCommands", flagText(mUseMapkeyForCommands),
               "# if set, Korvex executes Creo commands with the help of a Mapkey and dynamic "
               "Trail-files, in this way the UNDO Buffer is not cleared");
  writeKeyLine(out, "mapkeyDefinition", mMapkeyDefinition,
               "# key string for the Mapkey, must be a-z or 0-9 with a length of max. 2");
  out << '\n';
  mLogPars.writeSection(out);
  // Whole or not at all: a cut file would be replaced by the defaults at the next start.
  if (FileCommit::write(path, out.str(), true, FileCommit::kReplace) != nullptr) {
    KXLOG(LOG_ERR) << "Writing default settings file '" << mFileName << "' failed!" << LOG_END;
    return -1;
  }
  KXLOG(LOG_TRC) << "Default settings file written." << LOG_END;
  return 0;
} catch (...) {
  KXLOG(LOG_ERR) << "Error writeSettingsFile()" << LOG_END;
  return -1;
}

void Settings::setDefaults() {
  mName = "CreoPlugin";
  mVersion = KX_VERSION;
  mTraSensBase = 40000;
  mRotSensBase = 10000;
  mMinThreshold = 0;
  mMaxContMoveTime = 5000;
  mMaxFrameTime = 100;
  mIsTransToBlock = false;
  mScrollTreeAndList = true;
  mIsModeToRead = false;
  mMNULanguage.clear();
  mUseMapkeyForCommands = true;
  mMapkeyDefinition = "kx";
  mLogPars = LogPars();
}

std::string Settings::toString() const {
  std::ostringstream out;
  out << "      (Creo-Plug-in) mName: " << mName << '\n'
      << "                  mVersion: " << mVersion << '\n'
      << "              mTraSensBase: " << mTraSensBase << '\n'
      << "              mRotSensBase: " << mRotSensBase << '\n'
      << "             mMinThreshold: " << mMinThreshold << '\n'
      << "          mMaxContMoveTime: " << mMaxContMoveTime << '\n'
      << "             mMaxFrameTime: " << mMaxFrameTime << '\n'
      << "           mIsTransToBlock: " << mIsTransToBlock << '\n'
      << "        mScrollTreeAndList: " << mScrollTreeAndList << '\n'
      << "             mIsModeToRead: " << mIsModeToRead << '\n'
      << "              mMNULanguage: " << mMNULanguage << '\n'
      << "     mUseMapkeyForCommands: " << mUseMapkeyForCommands << '\n'
      << "         mMapkeyDefinition: " << mMapkeyDefinition << '\n'
      << "                  mLogPars:\n"
      << mLogPars.toString("    ") << '\n';
  return out.str();
}
