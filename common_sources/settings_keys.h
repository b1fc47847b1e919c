// The keys of the settings file as one table, in file order, for code that compares or copies
// settings key by key (reloading a changed file, the setup tool's check).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log_pars.h"

class Settings;

class SettingsKey {
 public:
  enum Kind { kText, kNumber, kFlag };

  const char* mSection;
  const char* mKey;
  Kind mKind;
  // Read only at the start (mapkey, menu language, the log's file filter): a change waits for the
  // next one.
  bool mIsReadAtStartOnly;

  // The value as the file would hold it ("on"/"off" for flags).
  std::string text(const Settings& settings) const;
  void copy(const Settings& from, Settings& to) const;

  static const std::vector<SettingsKey>& all();

  // One of these is set, by the kind and the section.
  std::string Settings::*mProgramText = nullptr;
  int32_t Settings::*mProgramNumber = nullptr;
  bool Settings::*mProgramFlag = nullptr;
  std::string LogPars::*mLogText = nullptr;
  int32_t LogPars::*mLogNumber = nullptr;
  bool LogPars::*mLogFlag = nullptr;
};
