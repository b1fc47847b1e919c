// The two entry points the host calls in DLL mode, exported by name through plugin.def.
#include <cwchar>

#include "kx_addin.h"

extern "C" int user_initialize(int /*argc*/, char* /*argv*/[], char* /*version*/, char* /*build*/,
                               wchar_t /*err_buff*/[80]) {
  return kxAddinStart();
}

extern "C" void user_terminate(void) { kxAddinStop(); }
