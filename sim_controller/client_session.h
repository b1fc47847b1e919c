// One connection of the client library to the daemon: a reader thread takes replies and pushed
// events off the socket, so any number of caller threads can wait for their own reply or an event.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "caller_sync.h"

#include "net_socket.h"

struct ControllerEvent {
  int32_t code = 0;
  int16_t values[6] = {0, 0, 0, 0, 0, 0};
};

class ClientSession {
 public:
  ClientSession() = default;
  ~ClientSession();
  ClientSession(const ClientSession&) = delete;
  ClientSession& operator=(const ClientSession&) = delete;

  bool open(uint16_t port, int timeoutMs);
  // Sends "<seq> <request>" and waits for its reply. Returns the reply's status, or -1 when the
  // link is down or no reply came within timeoutMs; values receives the reply's words after the
  // status.
  int32_t request(const std::string& request, std::vector<std::string>& values, int timeoutMs);
  // 1: an event was taken, 0: none within timeoutMs, -1: the link is down.
  int waitEvent(ControllerEvent& event, int timeoutMs);
  // Ends the link: wakes every waiting caller at once, then stops the reader thread.
  void close();
  bool isAlive();
  const std::string& errorText() const { return mError; }
  // Lines written and read, for the library's own log; empty unless enabled.
  void setTraceSink(void (*sink)(const std::string& line)) { mTraceSink = sink; }

 private:
  void readLoop();
  void handleLine(const std::string& line);

  static constexpr size_t kMaxQueuedEvents = 4096;
  // How long the reader waits for the daemon's next line before it looks for a stop again. A wait
  // on the socket and a second one at once costs the host's user-interface thread dearly under
  // Wine, so a stop is seen through the socket's shutdown, and this limit only bounds it where the
  // shutdown would not end the wait.
  static constexpr int kStopCheckMs = 1000;

  NetSocket mSocket;
  CallerMutex mSendMutex;
  CallerMutex mMutex;
  CallerCondition mChanged;
  std::map<uint32_t, std::vector<std::string>> mReplies;
  std::set<uint32_t> mPending;  // requests still waiting; late replies to others are dropped
  std::deque<ControllerEvent> mEvents;
  uint32_t mNextSeq = 1;
  bool mIsAlive = false;
  bool mIsStopping = false;
  std::thread mReader;
  std::string mError;
  void (*mTraceSink)(const std::string& line) = nullptr;
};
