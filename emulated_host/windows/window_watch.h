// Watches the top-level windows of the host process other than the host's own from a thread of its
// own, so it also sees them while the user-interface thread is blocked (a plug-in building
// something inside a timer tick). It journals when such a window appears and goes, its thread,
// class, styles, size, title and children, and each change of its text line and progress bar;
// it asks each window of another thread once to close, as a user would, and journals whether it
// stayed; it can take one screenshot of such a window, and press a button of the daemon while
// a window of a given class is shown.
#ifndef KX_EMULATED_HOST_WINDOW_WATCH_H
#define KX_EMULATED_HOST_WINDOW_WATCH_H

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "windows/window_reading.h"

class HostApp;

class WindowWatch {
 public:
  WindowWatch(HostApp* app, const std::string& shotPath) : mApp(app), mShotPath(shotPath) {}
  ~WindowWatch() { stop(); }

  bool start(std::string* error);
  // Stops the thread; a window of another thread still open then is a fault (window_left_open).
  void stop();
  // On the user-interface thread before a DLL is freed: windows whose procedure lies in it.
  int countWindowsIn(const std::function<bool(const void*)>& inModule) const;

  static constexpr int kPollMs = 10;
  // How long a window asked to close must stay to count as having refused.
  static constexpr int kCloseJudgeMs = 300;
  // A screenshot is taken once the bar stands at this position or higher.
  static constexpr int kShotBarPos = 50;
  // How long a window's thread has to answer a question about its bar.
  static constexpr int kAnswerMs = 100;
  // How long one press may wait for the daemon's answer, and the pause before the next try.
  static constexpr int kPressMs = 300;
  static constexpr int kPressPauseMs = 100;

 private:
  struct Watched {
    DWORD thread = 0;
    bool uiThread = false;
    std::string cls;
    ULONGLONG shownAt = 0;
    HWND textLine = nullptr;
    HWND bar = nullptr;
    std::string text;
    int pos = -1;
    WindowReading reading;
    ULONGLONG closeAt = 0;
    bool closeJudged = false;
    int pressTries = 0;
    ULONGLONG nextPressAt = 0;
    bool isPressed = false;
    std::string pressError;
  };

  static DWORD WINAPI threadMain(void* self);
  void poll();
  // The process's top-level windows but the host's own.
  std::vector<HWND> topWindows(bool visibleOnly) const;
  void onShown(HWND w, Watched* watched);
  void readState(HWND w, Watched* watched, bool first);
  void onGone(HWND w, Watched* watched);
  void takeShot(HWND w, const Watched& watched);
  void press(HWND w, Watched* watched);
  bool isToPress(const Watched& watched) const;

  HostApp* mApp;
  std::string mShotPath;
  bool mIsShotTaken = false;
  HANDLE mThread = nullptr;
  std::atomic<bool> mIsToStop{false};
  std::map<HWND, Watched> mWatched;
};

#endif
