// Round trips of library requests, the latency of a raw event from the control port to kxGetEvent,
// and the rate of the cap's motion stream.
#include <chrono>
#include <cstdio>

#include "ctrl_library.h"
#include "daemon_process.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  DaemonProcess daemon;
  if (!daemon.start()) {
    std::fprintf(stderr, "controller_bench: kx_daemon.exe did not come up\n");
    return 1;
  }
  const CtrlLibrary& lib = ctrlLibrary();
  auto start = Clock::now();
  if (lib.connect(0, "xtopCreo") != 0) {
    std::fprintf(stderr, "controller_bench: kxConnect failed\n");
    return 1;
  }
  std::printf("kxConnect: %.3f ms\n", msSince(start));

  constexpr int kCalls = 2000;
  int32_t count = 0, value = 0;
  start = Clock::now();
  for (int i = 0; i < kCalls; ++i) lib.devNum(count);
  std::printf("kxGetDevNum round trip: %.3f ms per call (%d calls)\n", msSince(start) / kCalls,
              kCalls);
  start = Clock::now();
  for (int i = 0; i < kCalls; ++i) {
    value = i % 2;
    lib.setParameter(12, &value);
  }
  std::printf("kxSetParameter round trip: %.3f ms per call (%d calls)\n", msSince(start) / kCalls,
              kCalls);

  constexpr int kEvents = 200;
  double total = 0;
  CtrlLibrary::Event event;
  for (int i = 0; i < kEvents; ++i) {
    auto sent = Clock::now();
    daemon.control("event 131104");
    while (lib.readEvent(event) != 0 || event.code != 131104) {
    }
    total += msSince(sent);
  }
  std::printf("raw event, control port to kxGetEvent: %.3f ms on average (%d events)\n",
              total / kEvents, kEvents);

  daemon.control("motion 1 2 3 4 5 6 2000");
  int motion = 0;
  start = Clock::now();
  for (;;) {
    if (lib.readEvent(event) != 0) continue;
    if (event.v[0] == 0 && event.v[5] == 0) break;
    ++motion;
  }
  double ms = msSince(start);
  std::printf("cap motion stream: %d events in %.0f ms, one every %.1f ms\n", motion, ms,
              motion ? ms / motion : 0.0);
  lib.disconnect();
  return 0;
}
