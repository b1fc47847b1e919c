// The emulated host program; everything lives in the host API library so the plug-in and the
// host share one session.
#include <windows.h>

#include "api/kx_host_extra.h"

int wmain(int argc, wchar_t** argv) { return kxh_Run(argc, argv); }
