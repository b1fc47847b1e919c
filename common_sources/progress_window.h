// The small always-on-top window with a progress bar that a first start shows while the command
// catalogue is built. The host's user-interface thread is busy building, so the window has a thread
// and a message loop of its own; the reading thread starts it and feeds it.
#pragma once

#include <pthread.h>
#include <windows.h>

#include <atomic>
#include <cstdint>

class ProgressWindow {
 public:
  ProgressWindow() = default;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Starts the window thread; false when it could not be started.
  bool start();
  // Whether the window thread still runs code of its own (so of this module).
  bool isRunning() const { return mIsRunning; }

  static void* runProgressWindow(void* blockP);
  // 1 when the window was shown and closed again, 0 when it could not be registered or created.
  static int32_t showProgressWindow(ProgressWindow* blockP);
  static LRESULT CALLBACK MNUDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Sets the bar and the text line; sent from the reading thread to the window thread.
  static void updateProgressWindow(double progress);

  // The window thread keeps its window while set.
  std::atomic<bool> mIsToShow{false};
  pthread_t mThread{};
  std::atomic<HWND> mWndHandle{nullptr};
  // Raised before the thread starts and lowered as the thread's last act: the block must outlive
  // the thread's use of it, and the module must stay loaded while the thread runs in it.
  std::atomic<bool> mIsRunning{false};

  // Written when the window is created; not reset, so an update after the window is gone only
  // sends to a handle that no longer exists.
  static std::atomic<HWND> sProgressBarHandle;
  static std::atomic<HWND> sProgressTextHandle;

  static constexpr const char* kClassName = "MNUDlgClass";
  static constexpr const char* kTitle = "Korvex";
  static constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  static constexpr int kWidth = 216;
  static constexpr int kHeight = 80;
  static constexpr int kLoopSleepMs = 50;
};
