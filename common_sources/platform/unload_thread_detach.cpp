// The threads library linked statically into a DLL (the plug-in, and the simulated controller's
// client library) registers any thread it did not create the first time that thread runs a
// function-local static, a stream, a once, a sleep or a wait in the DLL. It gives the
// registration's thread handle and event back only when that thread exits. The host's
// user-interface thread outlives every unload of the DLL, so each unload would lose them. The last
// static object of the DLL, destroyed after every other one, therefore tells the DLL's
// thread-detach callbacks that the unloading thread leaves it now.
#include <windows.h>

namespace {

void detachUnloadingThread() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&detachUnloadingThread), &self)) {
    return;
  }
  unsigned char* base = reinterpret_cast<unsigned char*>(self);
  const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (entry.VirtualAddress == 0) return;
  const IMAGE_TLS_DIRECTORY* tls =
      reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + entry.VirtualAddress);
  for (PIMAGE_TLS_CALLBACK* callback =
           reinterpret_cast<PIMAGE_TLS_CALLBACK*>(tls->AddressOfCallBacks);
       callback && *callback; ++callback) {
    (*callback)(base, DLL_THREAD_DETACH, nullptr);
  }
}

struct UnloadThreadDetach {
  ~UnloadThreadDetach() { detachUnloadingThread(); }
};

// Constructed before, and so destroyed after, every other static object of the DLL.
__attribute__((init_priority(101))) UnloadThreadDetach sUnloadThreadDetach;

}  // namespace
