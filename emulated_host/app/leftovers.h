// What an application leaves behind in the process that would call into its DLL once freed: window
// classes it registered and timers it set, seen through its imports of the system's functions.
#ifndef KX_EMULATED_HOST_LEFTOVERS_H
#define KX_EMULATED_HOST_LEFTOVERS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class Leftovers {
 public:
  // From now on the module's class registrations and timers are noted.
  static void watch(HMODULE module);
  // Names of the noted classes still registered whose procedure lies in the module.
  static std::vector<std::string> classesIn(const std::function<bool(const void*)>& inModule);
  // Kills the timers still set whose procedure lies in the module, on windows that still exist,
  // before they fire into a freed DLL; returns how many there were.
  static int killTimersIn(const std::function<bool(const void*)>& inModule);
};

#endif
