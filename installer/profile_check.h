// The user's part of the setup tool's check: the applications folder, the settings file read with
// the plug-in's own reader, the menu file and the log, judged from what the Windows side read. No
// Windows header: built natively too.
#pragma once

#include <cstdint>
#include <string>

class CheckReport;
class Settings;

namespace profile_check {

// Whether the applications folder is there; false ends the user's part (the plug-in makes none).
bool checkApplicationsFolder(const std::string& folder, bool isPresent, CheckReport& report);
// The settings file at settings.mFilePath, read into `settings` as the plug-in's start reads it.
// False when the plug-in would replace it by the defaults.
bool checkSettings(Settings& settings, CheckReport& report);
// The menu file (null bytes: there is none).
void checkMenuFile(const std::string& path, const std::string* bytes, CheckReport& report);
// Where the log goes with these settings.
std::string logFilePath(const Settings& settings);
// The log with these settings; its size, or -1 when there is no such file.
void checkLog(const Settings& settings, int64_t size, CheckReport& report);

}  // namespace profile_check
