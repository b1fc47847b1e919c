#include "sleep_ms.h"

#ifdef _WIN32
#include <windows.h>

void sleepMs(int milliseconds) { Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }
#else
#include <time.h>

void sleepMs(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec wait{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}
#endif
