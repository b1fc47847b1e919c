#include "app/slow_resources.h"

#include <atomic>

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
  if (!real || !module) return 0;
  sRealLoad = real;
  sDelayUs = microsecondsPerLoad;
  unsigned char* base = reinterpret_cast<unsigned char*>(module);
  const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return 0;
  int patched = 0;
  // Every import slot bound to the system's LoadResource, whichever DLL name it came through.
  for (const IMAGE_IMPORT_DESCRIPTOR* d =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       d->Name != 0; ++d) {
    for (IMAGE_THUNK_DATA* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
         slot->u1.Function != 0; ++slot) {
      if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(real)) continue;
      DWORD old = 0;
      if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old))
        continue;
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(&slowLoadResource);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
      ++patched;
    }
  }
  return patched;
}
