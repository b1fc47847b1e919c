// The small always-on-top window with a progress bar that a first start shows while the command
// catalogue is built. The host's user-interface thread is busy building, so the window has a thread
// and a message loop of its own; the reading thread starts it and feeds it.
#pragma once

#include <pthread.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

class ProgressWindow {
 public:
  ProgressWindow() = default;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Starts the window thread with a share of the block and a reference to this module of its own,
  // both given back as the thread's last act: a thread held in a failure's message box may outlive
  // the reading thread, the plug-in's stop and the host's unloading of the DLL. False when the
  // thread could not be started.
  static bool start(const std::shared_ptr<ProgressWindow>& block);

  static void* runProgressWindow(void* shareP);
  // 1 when the window was shown and closed again, 0 when it could not be registered or created.
  static int32_t showProgressWindow(ProgressWindow* blockP);
  static LRESULT CALLBACK MNUDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Sets the bar and the text line; sent from the reading thread to the window thread.
  static void updateProgressWindow(double progress);

  // The window thread keeps its window while set.
  std::atomic<bool> mIsToShow{false};
  pthread_t mThread{};
  std::atomic<HWND> mWndHandle{nullptr};

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
