// The host's own navigation input: six-axis motion datagrams ("motion tx ty tz rx ry rz") on a
// loopback UDP port, handed to the user-interface thread.
#ifndef KX_EMULATED_HOST_NAV_LISTENER_H
#define KX_EMULATED_HOST_NAV_LISTENER_H

#include <windows.h>

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HostJournal;

class NavListener {
 public:
  NavListener(HostJournal* journal, HWND target) : mJournal(journal), mTarget(target) {}
  ~NavListener();
  bool start(int port, std::string* error);
  void stop();
  // Parses one datagram; false for anything but six integers after "motion".
  static bool parse(const std::string& text, int axes[6]);

  // The datagrams received since the last call, oldest first. The listener posts one message
  // while none is outstanding; the user-interface thread takes the batch and calls endBatch()
  // when it has applied it. A datagram arriving meanwhile posts nothing, so a steady stream leaves
  // the message queue empty between batches and the host's timers still fire, as they do in a
  // host whose own navigation keeps up with the device.
  std::vector<std::array<int, 6>> take();
  // True when datagrams are left that arrived after take(); the caller drains them on a timer.
  bool endBatch();

 private:
  void loop();
  HostJournal* mJournal;
  HWND mTarget;
  unsigned long long mSocket = ~0ull;
  std::thread mThread;
  std::atomic<bool> mRun{false};
  std::mutex mLock;
  std::vector<std::array<int, 6>> mPending;
  bool mIsPosted = false;
};

#endif
