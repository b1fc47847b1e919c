// Settings that apply while the plug-in runs. From the host's user-interface thread (the timer),
// at most once a second, the settings file's time and size are compared with those of the last
// look; a changed file is read with the rules of the start. Read as a whole, its values replace
// those in use (the log is reconfigured at once; the mapkey, the menu language and the log's file
// filter are read only at the start, so they wait for the next one) and the stop writes them back.
// A file that cannot be read as a whole changes nothing, and the stop leaves it as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_stamp.h"

class Settings;

class SettingsReload {
 public:
  // Takes the file's stamp as it is now, after the start has read (or written) it.
  explicit SettingsReload(Settings& settings);

  // Looks at the file if a second has passed since the last look; true when new values were
  // applied.
  bool poll(uint64_t nowMs);
  // Looks now.
  bool reloadIfChanged();

  // The keys whose values differ, in file order, and of those the ones read only at the start.
  static void changedKeys(const Settings& inUse, const Settings& read,
                          std::vector<std::string>* changed, std::vector<std::string>* atNextStart);
  // Copies every value of both sections (not the paths).
  static void copyValues(const Settings& from, Settings& to);

  static constexpr uint64_t kIntervalMs = 1000;

 private:
  bool apply();

  Settings& mSettings;
  FileStamp mStamp;
  uint64_t mLastLookMs = 0;
  bool mIsLooked = false;
};
