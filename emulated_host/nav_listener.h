// The host's own navigation input: six-axis motion datagrams ("motion tx ty tz rx ry rz") on a
// loopback UDP port, handed to the user-interface thread.
#ifndef KX_EMULATED_HOST_NAV_LISTENER_H
#define KX_EMULATED_HOST_NAV_LISTENER_H

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class Journal;

class NavListener {
 public:
  NavListener(Journal* journal, HWND target) : mJournal(journal), mTarget(target) {}
  ~NavListener();
  bool start(int port, std::string* error);
  void stop();
  // Parses one datagram; false for anything but six integers after "motion".
  static bool parse(const std::string& text, int axes[6]);

 private:
  void loop();
  Journal* mJournal;
  HWND mTarget;
  unsigned long long mSocket = ~0ull;
  std::thread mThread;
  std::atomic<bool> mRun{false};
};

#endif
