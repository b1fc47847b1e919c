// Loads the plug-in the way the host does in DLL mode: LoadLibrary, user_initialize, a message loop
// for a while, user_terminate, FreeLibrary; and says in plain words what happened.
//
//   kx_loader.exe <plug-in DLL> [seconds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using InitializeFn = int (*)(int, char**, char*, char*, wchar_t*);
using TerminateFn = void (*)();

std::string windowsErrorText(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length ? std::string(text, length) : std::string("unknown error");
  if (text) LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result + " (Windows error " + std::to_string(error) + ")";
}

void pumpMessages(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  for (;;) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: kx_loader <plug-in DLL> [seconds]\n");
    return 2;
  }
  const char* path = argv[1];
  const int seconds = argc == 3 ? std::atoi(argv[2]) : 3;
  if (seconds < 0 || seconds > 3600) {
    std::fprintf(stderr, "kx_loader: '%s' is not a number of seconds from 0 to 3600\n", argv[2]);
    return 2;
  }

  HMODULE module = LoadLibraryA(path);
  if (!module) {
    std::fprintf(stderr, "kx_loader: cannot load '%s': %s\n", path,
                 windowsErrorText(GetLastError()).c_str());
    return 1;
  }
  std::printf("Loaded '%s'.\n", path);
  auto initialize = reinterpret_cast<InitializeFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "user_initialize")));
  auto terminate = reinterpret_cast<TerminateFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "user_terminate")));
  if (!initialize || !terminate) {
    std::fprintf(stderr, "kx_loader: '%s' does not export user_initialize and user_terminate\n",
                 path);
    FreeLibrary(module);
    return 1;
  }

  char program[] = "kx_loader";
  char* arguments[] = {program, nullptr};
  char version[] = "emulated";
  char build[] = "0";
  wchar_t errorText[80] = L"";
  const int result = initialize(1, arguments, version, build, errorText);
  if (result != 0) {
    std::fprintf(stderr, "kx_loader: user_initialize returned %d: %ls\n", result, errorText);
    FreeLibrary(module);
    return 1;
  }
  std::printf("user_initialize returned 0: the plug-in started.\n");
  std::printf("Running the message loop for %d s ...\n", seconds);
  std::fflush(stdout);
  pumpMessages(static_cast<DWORD>(seconds) * 1000);

  const DWORD stopStart = GetTickCount();
  terminate();
  std::printf("user_terminate returned after %lu ms: the plug-in stopped.\n",
              static_cast<unsigned long>(GetTickCount() - stopStart));
  FreeLibrary(module);
  std::printf("Unloaded '%s'.\n", path);
  return 0;
}
