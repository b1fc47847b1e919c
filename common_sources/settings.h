// The plug-in settings, read from "Creo_plugin.ini" under the user profile. A missing or incomplete
// file is replaced by a complete default file; the file is written again at destruction.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "log_pars.h"

class Cnfg;

class Settings {
 public:
  Settings();
  // A record that neither reads nor writes the file: the paths, and every value at its default.
  struct Detached {};
  explicit Settings(Detached);
  ~Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // Looks one key up and logs a failed lookup as ERR with the reader's text; returns its code.
  static int readParameter(Cnfg& cnfg, const std::string& key, std::string& value,
                           const std::string& section);
  // 0 all keys read, -1 the file cannot be opened, -2 at least one key failed.
  int readSettingsFile(const std::string& path);
  // 0 written, -1 not written (the file on the disk stays as it was).
  int writeSettingsFile(const std::string& path);
  void setDefaults();
  std::string toString() const;

  // When set, readParameter also collects the reader's text of every failed lookup here.
  static std::vector<std::string>* sLookupFailuresP;

  std::string getMNULanguage() const { return mMNULanguage; }
  std::string getMapkeyDefinition() const { return mMapkeyDefinition; }

  // Conversions shared with the [LOGGING] section.
  // Like strtol with base 10, clamped to the 32-bit range; no digits give 0.
  static int32_t toInt32(const std::string& text);
  // On when the text contains "on" anywhere ("none" included), so a typo never switches on by case.
  static bool toFlag(const std::string& text);
  // One key line: tab, key in 24 columns, "= ", value in 50 columns (longer values whole), comment.
  static void writeKeyLine(std::ostream& out, const std::string& key, const std::string& value,
                           const char* comment);

  std::string mProductDirName;
  std::string mFileName;
  std::string mApplDirName;
  std::string mHomeDir;
  std::string mFilePath;
  std::string mApplDirPath;

  std::string mName;
  std::string mVersion;
  int32_t mTraSensBase = 0;
  int32_t mRotSensBase = 0;
  int32_t mMinThreshold = 0;
  int32_t mMaxContMoveTime = 0;
  int32_t mMaxFrameTime = 0;
  bool mIsTransToBlock = false;
  bool mScrollTreeAndList = false;
  bool mIsModeToRead = false;
  std::string mMNULanguage;
  bool mUseMapkeyForCommands = false;
  std::string mMapkeyDefinition;

  LogPars mLogPars;

  // Cleared while the user's file could not be read as a whole: the stop then leaves it alone.
  bool mIsFileToWrite = true;

 private:
  void buildPaths();
};
