// CPU use of the plug-in's own threads while nothing happens: the plug-in is loaded into this
// process as the host loads it, with a top-level window so its timer ticks, and the process's CPU
// time is read over a stretch of seconds, first with the daemon absent, then with it idle. The
// baseline is this process before the plug-in comes: the same window, message loop and 100 ms
// timer, re-armed at every tick as the plug-in's is. Each figure names the threads the time went
// to. Wine counts a thread's time in steps of 10 ms, so the stretch is 30 s unless told otherwise.
//
//   plugin_cpu_bench.exe [seconds]
#include <windows.h>

#include <tlhelp32.h>
#include <cstdio>

#include <cstdlib>
#include <map>
#include <string>

namespace {

using InitializeFn = int (*)(int, char**, char*, char*, wchar_t*);
using TerminateFn = void (*)();

std::string besideThisProgram(const char* file) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + file;
}

double toMs(const FILETIME& t) {
  return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
}

double processCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return toMs(kernel) + toMs(user);
}

void pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  for (;;) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

// CPU milliseconds of every thread of this process, by thread id.
std::map<DWORD, double> threadCpuMs() {
  std::map<DWORD, double> times;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return times;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user))
      times[entry.th32ThreadID] = toMs(kernel) + toMs(user);
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return times;
}

// The process's CPU share over the stretch, with the threads that used a millisecond or more.
double measure(const char* what, int seconds, double baseline) {
  pump(1000);  // let start-up and the first connection attempts settle
  const std::map<DWORD, double> threadsBefore = threadCpuMs();
  const double before = processCpuMs();
  const DWORD start = GetTickCount();
  pump(static_cast<DWORD>(seconds) * 1000);
  const double cpuMs = processCpuMs() - before;
  const double wallMs = GetTickCount() - start;
  const double share = 100.0 * cpuMs / wallMs;
  std::printf("%-28s %8.1f ms CPU in %5.1f s = %5.2f %% of one core", what, cpuMs, wallMs / 1000,
              share);
  if (baseline > 0) std::printf(", %.2f times the bare process", share / baseline);
  std::printf("\n   threads:");
  for (const auto& [id, ms] : threadCpuMs()) {
    const auto found = threadsBefore.find(id);
    const double used = ms - (found == threadsBefore.end() ? 0.0 : found->second);
    if (used >= 1.0) {
      std::printf(" %s %lu %.0f ms;", id == GetCurrentThreadId() ? "user-interface" : "thread", id,
                  used);
    }
  }
  std::printf("\n");
  std::fflush(stdout);
  return share;
}

// The bare process's timer: re-armed at every tick, as the plug-in re-arms its own.
VOID CALLBACK bareTick(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  SetTimer(window, id, 100, &bareTick);
}

}  // namespace

int main(int argc, char* argv[]) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  if (seconds < 1 || seconds > 600) {
    std::fprintf(stderr, "usage: plugin_cpu_bench [seconds from 1 to 600]\n");
    return 2;
  }
  // A top-level window of this thread, as the host has: the plug-in's timer lives on it.
  HWND window = CreateWindowExW(0, L"STATIC", L"host stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetTimer(window, 1, 100, &bareTick);
  const double bare = measure("bare process:", seconds, 0);
  KillTimer(window, 1);

  const std::string plugin = besideThisProgram("KorvexCreo.dll");
  HMODULE module = LoadLibraryA(plugin.c_str());
  if (!window || !module) {
    std::fprintf(stderr, "plugin_cpu_bench: cannot load '%s' (Windows error %lu)\n", plugin.c_str(),
                 GetLastError());
    return 1;
  }
  auto initialize = reinterpret_cast<InitializeFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "user_initialize")));
  auto terminate = reinterpret_cast<TerminateFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "user_terminate")));
  char name[] = "plugin_cpu_bench";
  char* arguments[] = {name, nullptr};
  wchar_t errorText[80] = L"";
  initialize(1, arguments, name, name, errorText);

  measure("daemon absent:", seconds, bare);

  std::string daemon = "\"" + besideThisProgram("kx_daemon.exe") + "\" --journal NUL";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &daemon[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "plugin_cpu_bench: cannot start kx_daemon.exe (Windows error %lu)\n",
                 GetLastError());
  } else {
    pump(4000);  // the watch thread reconnects within its two-second period
    measure("daemon present and idle:", seconds, bare);
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  terminate();
  FreeLibrary(module);
  DestroyWindow(window);
  return 0;
}
