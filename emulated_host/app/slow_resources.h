// A slow installation: each resource an application loads from a DLL takes extra time, as from a
// network share or a cold disk. The application's import of LoadResource is pointed at a stand-in
// that waits, then loads.
#ifndef KX_EMULATED_HOST_SLOW_RESOURCES_H
#define KX_EMULATED_HOST_SLOW_RESOURCES_H

#include <windows.h>

class SlowResources {
 public:
  // Redirects the module's imported LoadResource; returns how many import slots were changed.
  static int patch(HMODULE module, int microsecondsPerLoad);
};

#endif
