// The controller part of the setup tool's check: where the plug-in would load the controller's
// client library from, whether its operations are there at their ordinals, and whether the daemon
// answers, asked under a name of the check's own (never as the plug-in).
#pragma once

#include <string>

class CheckReport;

namespace controller_probe {

// `pluginFile` is the plug-in file the registry entry names (empty: none known).
void check(const std::string& pluginFile, CheckReport& report);

}  // namespace controller_probe
