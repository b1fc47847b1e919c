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
  // The library's read may return at once when the daemon is absent; this keeps the loop calm.
  static constexpr int kFailedReadPauseMs = 20;
  static constexpr int kCataloguePollMs = 50;
  static constexpr int kStopPollMs = 200;
  // Hiding the window can take seconds (a window manager that does not answer); a window thread
  // held by a failure message box is not waited for longer.
  static constexpr int kWindowStopWaitMs = 10000;

 private:
  static void* readThread(void* proxyP);
  void waitForCatalogue(ProgressWindow& window);
  void waitForProgressWindow(const ProgressWindow& window);
  void announceMode(std::string& lastModeSent);
};
