#include "settings_reload.h"

#include "logging.h"
#include "settings.h"
#include "settings_keys.h"

namespace {

std::string joined(const std::vector<std::string>& keys) {
  std::string text;
  for (const std::string& key : keys) text += (text.empty() ? "" : ", ") + key;
  return text;
}

// Whether the log as configured by these values writes INF entries anywhere.
bool isInfoWritten(const LogPars& pars) {
  return pars.mIsInfo && (pars.mIsLogToFile || pars.mIsLogToCnsl);
}

}  // namespace

SettingsReload::SettingsReload(Settings& settings)
    : mSettings(settings), mStamp(fileStamp(settings.mFilePath)) {}

bool SettingsReload::poll(uint64_t nowMs) {
  if (mIsLooked && nowMs - mLastLookMs < kIntervalMs) return false;
  mIsLooked = true;
  mLastLookMs = nowMs;
  return reloadIfChanged();
}

bool SettingsReload::reloadIfChanged() try {
  const FileStamp stamp = fileStamp(mSettings.mFilePath);
  if (stamp == mStamp) return false;
  mStamp = stamp;
  return apply();
} catch (...) {
  KXLOG(LOG_ERR) << "Error reloadIfChanged()" << LOG_END;
  return false;
}

bool SettingsReload::apply() {
  Settings read{Settings::Detached()};
  if (read.readSettingsFile(mSettings.mFilePath) != 0) {
    mSettings.mIsFileToWrite = false;
    KXLOG(LOG_ERR) << "Settings file '" << mSettings.mFilePath
                   << "' changed but cannot be read as a whole: the values in use stay, and the "
                      "stop leaves the file as it is."
                   << LOG_END;
    return false;
  }
  mSettings.mIsFileToWrite = true;
  std::vector<std::string> changed;
  std::vector<std::string> atNextStart;
  changedKeys(mSettings, read, &changed, &atNextStart);
  if (changed.empty()) return false;

  std::string text = "Settings file changed: " + joined(changed);
  if (!atNextStart.empty()) text += "; " + joined(atNextStart) + " take effect at the next start";
  // The one line goes to the log as it is before the change when the change silences it.
  const bool isToLogBefore = !isInfoWritten(read.mLogPars);
  if (isToLogBefore) KXLOG(LOG_INF) << text << LOG_END;
  copyValues(read, mSettings);
  gLog.reconfigure(mSettings.mLogPars);
  if (!isToLogBefore) KXLOG(LOG_INF) << text << LOG_END;
  return true;
}

void SettingsReload::changedKeys(const Settings& inUse, const Settings& read,
                                 std::vector<std::string>* changed,
                                 std::vector<std::string>* atNextStart) {
  for (const SettingsKey& key : SettingsKey::all()) {
    if (key.text(inUse) == key.text(read)) continue;
    changed->push_back(key.mKey);
    if (key.mIsReadAtStartOnly) atNextStart->push_back(key.mKey);
  }
}

void SettingsReload::copyValues(const Settings& from, Settings& to) {
  for (const SettingsKey& key : SettingsKey::all()) key.copy(from, to);
}
