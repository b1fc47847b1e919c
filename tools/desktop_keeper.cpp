// Keeps Wine's desktop open for a whole test run. Wine's desktop process (explorer.exe /desktop)
// quits about a second after the last program using the desktop has gone, so without a lasting
// user every test executable that loads user32 would start it again (about a second each) and hand
// it the test's output pipe, which the test runner then waits on. The Wine harness starts this
// program with its output away from the caller's pipes and stops it at the end of the run.
#include <windows.h>

#include <cstdio>

int main() {
  // Creates the desktop window, starting the desktop process if it is not running yet.
  if (!GetDesktopWindow()) {
    std::fprintf(stderr, "desktop_keeper: no desktop window (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    Sleep(INFINITE);
  }
}
