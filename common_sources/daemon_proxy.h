// The plug-in's side of the link to the controller daemon: registration, device discovery, the
// LegacyCOM1 hand-over, mode announcements and the reading thread that fills the event slot.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <string>

class CKxAddin;
class ProgressWindow;

class DaemonProxy {
 public:
  explicit DaemonProxy(CKxAddin* addinP);
  ~DaemonProxy();
  DaemonProxy(const DaemonProxy&) = delete;
  DaemonProxy& operator=(const DaemonProxy&) = delete;

  bool connect();
  bool checkConnection();
  void retrieveRotMode();
  bool stopLegacyCom1();
  bool resetLegacyCom1();
  void readMouseEvents();

  CKxAddin* mAddinP;
  pthread_t mReadThread;
  std::atomic<bool> mIsToRead;
  std::atomic<bool> mIsReading;
  std::atomic<bool> mIsConnected;
  std::atomic<bool> mIsModeToSend;
  int32_t mLegacyCom1;

  static constexpr const char* kApplName = "xtopCreo";
  static constexpr const char* kModeApplName = "Creo";
  // The library's read may return at once when the daemon is absent; this keeps the loop calm. A
  // read that waited this long for an event has paced the loop itself and is not followed by it.
  static constexpr int kFailedReadPauseMs = 20;
  // The pause after a failed read while the link is down: no event can come before the watch thread
  // registers again, which ends the pause at once (mLinkUpEvent). Each pass of the loop costs some
  // hundred microseconds of CPU under Wine; at 20 ms the absent daemon cost more than the ticks.
  static constexpr int kUnlinkedReadPauseMs = 500;
  static constexpr int kStopPollMs = 200;

 private:
  static void* readThread(void* proxyP);
  void waitForCatalogue();
  void announceMode(std::string& lastModeSent);
  // Sets mIsConnected; a link that comes up ends the reading thread's pause.
  void setConnected(bool isConnected);
  void pauseAfterFailedRead(int64_t readMs);

  // Auto-reset: set when the link comes up and at the stop (a Win32 event handle, here as void*).
  void* mLinkUpEvent = nullptr;
};
