// Watches, from a thread of its own, for a top-level window of one class to appear in the host's
// process, such as a window a plug-in shows while the host's user-interface thread is busy, and
// takes its picture once it has been on the screen for a moment (option --capture-window).
#ifndef KX_EMULATED_HOST_WINDOW_WATCH_H
#define KX_EMULATED_HOST_WINDOW_WATCH_H

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class HostJournal;

class WindowWatch {
 public:
  WindowWatch(HostJournal* journal, const std::string& className, const std::string& path);
  ~WindowWatch();

  // "<class>=<file.png>" split at its first "="; false when either side is empty.
  static bool parseOption(const std::string& option, std::string* className, std::string* path);

 private:
  void run();
  HWND find() const;

  HostJournal* mJournal;
  std::string mClass, mPath;
  std::atomic<bool> mStop{false};
  std::thread mThread;
};

#endif
