#include "app/slow_resources.h"

#include <atomic>

#include "app/import_patch.h"

namespace {

std::atomic<int> sDelayUs{0};
using LoadFn = HGLOBAL(WINAPI*)(HMODULE, HRSRC);
std::atomic<LoadFn> sRealLoad{nullptr};
// Waits shorter than the system's sleep are added up and slept whole.
thread_local long long tOwedUs = 0;

HGLOBAL WINAPI slowLoadResource(HMODULE module, HRSRC found) {
  tOwedUs += sDelayUs;
  if (tOwedUs >= 1000) {
    Sleep(static_cast<DWORD>(tOwedUs / 1000));
    tOwedUs %= 1000;
  }
  return sRealLoad.load()(module, found);
}

}  // namespace

int SlowResources::patch(HMODULE module, int microsecondsPerLoad) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  LoadFn real = kernel ? reinterpret_cast<LoadFn>(
                             reinterpret_cast<void*>(GetProcAddress(kernel, "LoadResource")))
                       : nullptr;
  sRealLoad = real;
  sDelayUs = microsecondsPerLoad;
  return patchImports(module, reinterpret_cast<const void*>(real),
                      reinterpret_cast<const void*>(&slowLoadResource));
}
