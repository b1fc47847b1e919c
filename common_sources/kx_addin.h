// The plug-in's root object: owns the settings, the host bridge, the device link and the connection
// watch thread, and holds the event slot through which the reading thread hands controller events
// to the host's user-interface thread.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "device_read.h"
#include "settings.h"
#include "settings_reload.h"

class CreoProxy;
class DaemonProxy;

class CKxAddin {
 public:
  CKxAddin();
  ~CKxAddin();
  CKxAddin(const CKxAddin&) = delete;
  CKxAddin& operator=(const CKxAddin&) = delete;

  void configureLogging();
  std::string getCurrentModeName();

  // Writer side of the event slot (reading thread), once per read: the code's effect, then the
  // motion. Returns what else the reader has to do for the code.
  EventAction storeEventCode(int32_t eventCode);
  void storeMotion(const int16_t motion[6]);
  // Consumer side (user-interface thread), one field at a time in the order they are run, so a
  // failure running one leaves the others pending: the function (-1 = none) and the command
  // (0 = none), each taken with "none" left behind in one atomic step so a value stored meanwhile
  // is never lost, then the motion (trans x, y, z, rot x, y, z), each value read once.
  int32_t takeMenuFncIdx() { return mMenuFncIdx.exchange(-1); }
  int32_t takeKeyEvent() { return mKeyEvent.exchange(0); }
  void takeMotion(int16_t motion[6]) const;

  Settings mSettings;
  // Applies edits of the settings file while the plug-in runs; polled by the timer.
  SettingsReload mSettingsReload;
  CreoProxy* mCreoProxyP;
  DaemonProxy* mDaemonProxyP;
  pthread_t mWatchThread;
  std::atomic<bool> mIsToWatch;
  std::atomic<bool> mIsWatching;

  std::atomic<int16_t> mTransX;
  std::atomic<int16_t> mTransY;
  std::atomic<int16_t> mTransZ;
  std::atomic<int16_t> mRotX;
  std::atomic<int16_t> mRotY;
  std::atomic<int16_t> mRotZ;
  std::atomic<int32_t> mMenuFncIdx;
  std::atomic<int32_t> mKeyEvent;

  // How long the watch thread and the destructor sleep between looks.
  static constexpr int kWatchIntervalMs = 2000;

 private:
  static void* watchConnection(void* addinP);
};

// The single root object while the plug-in runs; set and cleared only by the entry points.
extern CKxAddin* sAddinP;

extern "C" int kxAddinStart();
extern "C" void kxAddinStop();
