// Waits for a condition another thread or process brings about, with a generous limit: the tests
// assert that it comes, never how soon. True when it came.
#pragma once

#include <chrono>
#include <thread>

template <typename Condition>
bool waitFor(Condition condition, int limitMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}
