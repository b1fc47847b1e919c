// The two entry points the host calls in DLL mode.
#include <cwchar>

#include "kx_addin.h"

extern "C" __declspec(dllexport) int user_initialize(int /*argc*/, char* /*argv*/[],
                                                     char* /*version*/, char* /*build*/,
                                                     wchar_t /*err_buff*/[80]) {
  return kxAddinStart();
}

extern "C" __declspec(dllexport) void user_terminate(void) { kxAddinStop(); }
