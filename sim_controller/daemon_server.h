// The daemon's sockets: the client port, the control port and the legacy output. Each connection
// is served by a thread of its own; a ticker thread streams the cap's motion.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "daemon_core.h"
#include "net_socket.h"

class DaemonServer {
 public:
  DaemonServer(DaemonCore& core, uint16_t clientPort, uint16_t controlPort);
  ~DaemonServer();
  // Opens both listening ports; false with error when one is taken.
  bool start(std::string& error);
  // Serves until the control command "quit".
  void run();

 private:
  void acceptClients();
  void acceptControl();
  void serveClient(std::shared_ptr<NetSocket> socket);
  void serveControl(std::shared_ptr<NetSocket> socket);
  void tickLoop();
  std::string serverCommand(const std::string& line, bool& handled);
  bool setListening(bool on);

  DaemonCore& mCore;
  uint16_t mClientPort;
  uint16_t mControlPort;
  NetSocket mClientListener;
  NetSocket mControlListener;
  std::atomic<bool> mIsRunning{true};
  std::atomic<bool> mWantListening{true};
  std::atomic<bool> mIsListening{false};
  // Connections being served on detached threads, which use this server and the core.
  std::atomic<int> mSessions{0};
  std::mutex mListenMutex;
  std::string mListenError;
};
