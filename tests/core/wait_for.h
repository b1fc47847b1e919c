// Waits for a condition another thread brings about, with a generous limit: the tests assert that
// it comes, never how soon.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

inline bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}
