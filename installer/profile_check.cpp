#include "profile_check.h"

#include <cstdlib>
#include <vector>

#include "check_report.h"
#include "cnfg.h"
#include "menu_file.h"
#include "settings.h"
#include "settings_keys.h"

namespace profile_check {

namespace {

constexpr size_t kModeCount = 23;
const char* const kOwnScrollCommand = "KX_Toggle_Scroll_Mode";

// The key's text as the file holds it, through the plug-in's INI reader; false when not there.
bool rawValue(Cnfg& cnfg, const SettingsKey& key, std::string* value) {
  return cnfg.getParameter(key.mKey, *value, key.mSection) == CNFG_OK;
}

// What the value's text reads as when that is not what it says, or empty.
std::string misreading(const SettingsKey& key, const std::string& raw, const Settings& read) {
  if (key.mKind == SettingsKey::kNumber) {
    char* end = nullptr;
    std::strtoll(raw.c_str(), &end, 10);
    if (raw.empty() || *end != '\0') return "\"" + raw + "\" reads as " + key.text(read);
  } else if (key.mKind == SettingsKey::kFlag && raw != "on" && raw != "off") {
    return "\"" + raw + "\" reads as " + key.text(read);
  }
  return "";
}

void checkValues(const Settings& read, CheckReport& report) {
  Cnfg cnfg;
  cnfg.open(read.mFilePath);
  Settings defaults{Settings::Detached()};
  std::string changed;
  for (const SettingsKey& key : SettingsKey::all()) {
    std::string raw;
    if (!rawValue(cnfg, key, &raw)) continue;
    const std::string what = misreading(key, raw, read);
    if (!what.empty())
      report.warn(std::string("Setting ") + key.mKey + ": " + what + ".",
                  std::string("write ") +
                      (key.mKind == SettingsKey::kFlag ? "on or off" : "a whole number") +
                      " after \"" + key.mKey + " =\".");
    if (key.text(read) != key.text(defaults))
      changed += std::string(changed.empty() ? "" : ", ") + key.mKey;
  }
  if (read.mTraSensBase / 500 == 0)
    report.warn("Setting transSensBase: " + std::to_string(read.mTraSensBase) +
                    " is below 500, so the plug-in divides by the default's 80 instead.",
                "set transSensBase to 500 or more (the default is 40000).");
  if (read.mRotSensBase == 0)
    report.warn("Setting rotSensBase: 0, so the plug-in divides by the default's 10000 instead.",
                "set rotSensBase to a number other than 0 (the default is 10000).");
  report.ok("Settings differing from the defaults: " + (changed.empty() ? "none" : changed) + ".");
}

}  // namespace

bool checkApplicationsFolder(const std::string& folder, bool isPresent, CheckReport& report) {
  if (!isPresent) {
    report.fail("The folder " + folder +
                    " is not there; the plug-in never creates it and runs with its defaults.",
                "install the controller's software, which creates it, or create the folder.");
    return false;
  }
  report.ok("Applications folder " + folder + ".");
  return true;
}

bool checkSettings(Settings& settings, CheckReport& report) {
  std::vector<std::string> failures;
  Settings::sLookupFailuresP = &failures;
  const int result = settings.readSettingsFile(settings.mFilePath);
  Settings::sLookupFailuresP = nullptr;
  if (result == -1) {
    report.ok("No settings file " + settings.mFilePath +
              " yet: the next start writes the default one.");
    return true;
  }
  if (result != 0) {
    std::string why;
    for (const std::string& failure : failures) why += (why.empty() ? "" : "; ") + failure;
    // The values the user would lose: those read that differ from the defaults.
    const Settings defaults{Settings::Detached()};
    std::string lost;
    for (const SettingsKey& key : SettingsKey::all())
      if (key.text(settings) != key.text(defaults) &&
          why.find("'" + std::string(key.mKey) + "'") == std::string::npos)
        lost += std::string(lost.empty() ? "" : ", ") + key.mKey;
    report.fail("Settings file " + settings.mFilePath + " cannot be read as a whole (" + why +
                    "): at the next start every key falls back to its default" +
                    (lost.empty() ? "" : " (" + lost + " among them)") +
                    " and the file is replaced by the default one.",
                "correct or add those lines (key, \"=\", value; no empty line inside a section) "
                "before starting Creo, or delete the file to get the default one.");
    // What the plug-in would run with.
    for (const SettingsKey& key : SettingsKey::all()) key.copy(defaults, settings);
    return false;
  }
  report.ok("Settings file " + settings.mFilePath + ": every key read.");
  checkValues(settings, report);
  return true;
}

void checkMenuFile(const std::string& path, const std::string* bytes, CheckReport& report) {
  if (!bytes) {
    report.ok("No menu file " + path +
              " yet: the next start of Creo builds it (a small window shows the progress).");
    return;
  }
  const MenuFileLists lists = parseMenuFileText(bytes->data(), bytes->size());
  const bool isGerman = bytes->find("1Fensterrollmodus umschalten") != std::string::npos;
  const bool isComplete = lists.modeNames.size() == kModeCount && lists.menuCommands.size() >= 2 &&
                          lists.menuCommands[0] == kOwnScrollCommand && bytes->size() >= 3 &&
                          bytes->compare(bytes->size() - 3, 3, "\r\n ") == 0;
  const std::string counts = std::to_string(lists.modeNames.size()) + " modes, " +
                             std::to_string(lists.menuCommands.size()) + " commands";
  if (!isComplete) {
    report.fail("The menu file " + path + " is cut off or damaged (" + counts +
                    "): buttons may run other commands than the configuration tool shows.",
                "close Creo and delete the file; the next start builds it again.");
    return;
  }
  report.ok("Menu file " + path + ": " + (isGerman ? "German" : "English or another language") +
            ", " + counts + ".");
}

std::string logFilePath(const Settings& settings) {
  const std::string name = settings.mLogPars.mLogFile.empty() ? "forgot_to_name_this_file_log.txt"
                                                              : settings.mLogPars.mLogFile;
  if (name.find('\\') != std::string::npos) return name;
  return settings.mLogPars.mSettingsDirPath + "\\" + name;
}

void checkLog(const Settings& settings, int64_t size, CheckReport& report) {
  const std::string path = logFilePath(settings);
  const std::string file =
      size < 0 ? path + " (not there)" : path + " (" + std::to_string(size) + " bytes)";
  if (!settings.mLogPars.mIsLogToFile) {
    report.warn("File logging is off; the log file would be " + file + ".",
                "set logToFile, warning, creation, trace and info to on in the settings file (this "
                "applies at once, also while Creo runs).");
    return;
  }
  report.ok("File logging is on: " + file + ", limit " +
            std::to_string(settings.mLogPars.mMaxSize) + " kB.");
}

}  // namespace profile_check
