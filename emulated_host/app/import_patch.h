// Points an application's imports of a system function at a stand-in of the host's.
#ifndef KX_EMULATED_HOST_IMPORT_PATCH_H
#define KX_EMULATED_HOST_IMPORT_PATCH_H

#include <windows.h>

// Every import slot of the module bound to `real`, whichever DLL name it came through, is pointed
// at `replacement`; returns how many slots changed.
int patchImports(HMODULE module, const void* real, const void* replacement);

#endif
