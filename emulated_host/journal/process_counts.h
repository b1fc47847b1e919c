// The host process's own thread and handle counts, which a long run watches for leaks.
#ifndef KX_EMULATED_HOST_PROCESS_COUNTS_H
#define KX_EMULATED_HOST_PROCESS_COUNTS_H

#include <map>
#include <string>

struct ProcessCounts {
  int threads = -1;  // threads of this process in a Toolhelp snapshot
  int handles = -1;
  // "system" (GetProcessHandleCount) or "probed" (the handle values that name an open handle).
  std::string handleSource;
  // Open handles per object type ("Event", "Thread", ...), from the probed handle values.
  std::map<std::string, int> handleTypes;
};

// False, with the Windows error named, when the thread snapshot cannot be taken.
bool currentProcessCounts(ProcessCounts* counts, std::string* error);

// "Event=3,Thread=2": the types in name order.
std::string handleTypesText(const std::map<std::string, int>& types);

#endif
