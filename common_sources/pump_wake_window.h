// The reading thread's wake-up of the timer pump: a message-only window of the host's
// user-interface thread, to which any thread posts one message; its window procedure runs the
// wake-up in the user-interface thread, so a button or the cap leaving rest is handled now rather
// than at the timer's next expiry. At most one message waits at a time.
#pragma once

#include <windows.h>

#include <atomic>

class PumpWakeWindow {
 public:
  // Runs in the user-interface thread for each wake-up message.
  using WakeFn = void (*)();

  // Creates the window in the calling thread; without it (logged) a wake-up does nothing.
  explicit PumpWakeWindow(WakeFn onWake);
  ~PumpWakeWindow();
  PumpWakeWindow(const PumpWakeWindow&) = delete;
  PumpWakeWindow& operator=(const PumpWakeWindow&) = delete;

  // From any thread; nothing when a message waits already.
  void post();
  // In the window's thread, before the module may go: the window and its class go.
  void destroy();
  HWND handle() const { return mWndHandle; }
  bool isPosted() const { return mIsPosted; }

  static constexpr UINT kMessage = WM_APP + 99;
  static constexpr const wchar_t* kClassName = L"KorvexPumpWake";

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  WakeFn mOnWake;
  // Null once destroyed, or when it could not be created.
  std::atomic<HWND> mWndHandle;
  std::atomic<bool> mIsPosted;
};
