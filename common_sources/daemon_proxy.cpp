#include "daemon_proxy.h"

#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "creo_proxy.h"
#include "detached_thread.h"
#include "kx_addin.h"
#include "kx_library.h"
#include "logging.h"
#include "progress_watch.h"
#include "progress_window.h"
#include "sleep_ms.h"

DaemonProxy::DaemonProxy(CKxAddin* addinP)
    : mAddinP(addinP),
      mReadThread(),
      mIsToRead(true),
      mIsReading(false),
      mIsConnected(false),
      mIsModeToSend(false),
      mLegacyCom1(-1) {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  mLinkUpEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  mAddinP->mMenuFncIdx = -1;
  mIsConnected = connect();
  // Raised before the thread exists so the destructor always waits for it.
  mIsReading = true;
  if (startDetachedThread(&mReadThread, &DaemonProxy::readThread, this) != 0) {
    mIsReading = false;
  }
  KXLOG(LOG_CRT) << "Constructed." << LOG_END;
}

DaemonProxy::~DaemonProxy() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  mIsToRead = false;
  // A reading thread in its pause after a failed read sees the cleared flag at once.
  if (mLinkUpEvent) SetEvent(mLinkUpEvent);
  if (KxLibrary::api().disconnect() != 0) {
    KXLOG(LOG_ERR) << "Error in kxDisConnect()!" << LOG_END;
  }
  while (mIsReading) sleepMs(kStopPollMs);
  if (mLinkUpEvent) CloseHandle(mLinkUpEvent);
  mLinkUpEvent = nullptr;
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
}

bool DaemonProxy::connect() {
  KXLOG(LOG_TRC) << "Checking connection ..." << LOG_END;
  mIsConnected = false;
  KxLibrary& library = KxLibrary::api();
  if (library.connect(0, kApplName) != 0) {
    KXLOG(LOG_ERR) << "Error in kxConnect()!" << LOG_END;
    return false;
  }
  int32_t count = 0;
  if (library.getDevNum(&count) != 0) {
    KXLOG(LOG_ERR) << "Error in kxGetDevNum()!" << LOG_END;
    return false;
  }
  for (int32_t index = 0; index < count; ++index) {
    char record[KX_DEV_INFO_SIZE] = {};
    if (library.getDevInfo(index, record) != 0) {
      KXLOG(LOG_ERR) << "Error in kxGetDevInfo()!" << LOG_END;
      return false;
    }
    record[KX_DEV_INFO_SIZE - 1] = '\0';  // the description must end inside the record
    KXLOG(LOG_INF) << "devIdx: " << index << ":" << (record + KX_DEV_INFO_DESCRIPTION_OFFSET)
                   << LOG_END;
  }
  retrieveRotMode();
  setConnected(true);
  mIsModeToSend = true;
  return true;
}

bool DaemonProxy::checkConnection() {
  KxLibrary& library = KxLibrary::api();
  int32_t count = 0;
  if (library.getDevNum(&count) == 0) {
    setConnected(true);
    return true;
  }
  KXLOG(LOG_ERR) << "Error in kxGetDevNum()!" << LOG_END;
  mIsConnected = false;
  if (library.disconnect() != 0) {
    KXLOG(LOG_ERR) << "Error in kxDisconnect()!" << LOG_END;
  }
  return false;
}

void DaemonProxy::retrieveRotMode() {
  unsigned char record[KX_ADVANCED_SETTINGS_SIZE] = {};
  if (KxLibrary::api().getAdvancedSettings(record) != 0) {
    KXLOG(LOG_ERR) << "Error in kxGetAdvancedSettings()!" << LOG_END;
  }
  if (mAddinP->mCreoProxyP) {
    mAddinP->mCreoProxyP->mIsRefitAfterViewCmd = record[KX_ADVANCED_REFIT_OFFSET] != 0;
  }
}

bool DaemonProxy::stopLegacyCom1() {
  if (mLegacyCom1 != -1) return false;
  KxLibrary& library = KxLibrary::api();
  if (library.getParameter(KX_PARAM_LEGACY_COM1, &mLegacyCom1) != 0) {
    mLegacyCom1 = -1;
    return false;
  }
  if (mLegacyCom1 != 1) return true;
  KXLOG(LOG_DBG) << "Switch LegacyCOM1 off" << LOG_END;
  int32_t off = 0;
  if (library.setParameter(KX_PARAM_LEGACY_COM1, &off) == 0) return true;
  KXLOG(LOG_ERR) << "Cannot switch LegacyCOM1 off!" << LOG_END;
  return false;
}

bool DaemonProxy::resetLegacyCom1() {
  if (mLegacyCom1 < 0) return false;
  if (mLegacyCom1 == 1) {
    KXLOG(LOG_DBG) << "Switch LegacyCOM1 on again" << LOG_END;
    int32_t on = 1;
    if (KxLibrary::api().setParameter(KX_PARAM_LEGACY_COM1, &on) != 0) {
      KXLOG(LOG_ERR) << "Cannot switch LegacyCOM1 on again!" << LOG_END;
      return false;
    }
  }
  mLegacyCom1 = -1;
  return true;
}

void DaemonProxy::setConnected(bool isConnected) {
  const bool wasConnected = mIsConnected.exchange(isConnected);
  if (isConnected && !wasConnected && mLinkUpEvent) SetEvent(mLinkUpEvent);
}

void DaemonProxy::pauseAfterFailedRead(int64_t readMs) {
  if (mIsConnected || !mLinkUpEvent) {
    if (readMs < kFailedReadPauseMs) sleepMs(static_cast<int>(kFailedReadPauseMs - readMs));
    return;
  }
  // Link down: nothing to read until the watch thread registers again, which ends the wait.
  WaitForSingleObject(mLinkUpEvent, kUnlinkedReadPauseMs);
}

void* DaemonProxy::readThread(void* proxyP) {
  static_cast<DaemonProxy*>(proxyP)->readMouseEvents();
  return nullptr;
}

void DaemonProxy::waitForCatalogue() {
  CreoProxy* creoProxy = mAddinP->mCreoProxyP;
  // Shared with the window thread, which may outlive this one; the wait clears its flag on the way
  // out and goes on without waiting for the thread.
  const std::shared_ptr<ProgressWindow> window = std::make_shared<ProgressWindow>();
  ProgressWatch watch;
  watch.mReadProgress = [creoProxy] { return creoProxy ? creoProxy->mMnuProgress.load() : 1.0; };
  watch.mIsToRead = [this] { return mIsToRead.load(); };
  watch.mStartWindow = [&window] { ProgressWindow::start(window); };
  watch.mUpdateWindow = &ProgressWindow::updateProgressWindow;
  watch.mSleep = &sleepMs;
  watch.watch(window->mIsToShow);
}

void DaemonProxy::announceMode(std::string& lastModeSent) {
  const std::string modeName = mAddinP->getCurrentModeName();
  // Taken before the call: a reconnect of the watch thread during the call asks again, and that
  // request must survive until the next pass.
  const bool isModeToSend = mIsModeToSend.exchange(false);
  if (modeName == lastModeSent && !isModeToSend) return;
  if (KxLibrary::api().setApplMode(kModeApplName, modeName.c_str()) == 0) lastModeSent = modeName;
}

void DaemonProxy::readMouseEvents() {
  mIsReading = true;
  waitForCatalogue();
  KxLibrary& library = KxLibrary::api();
  std::string lastModeSent;
  const int16_t threshold = static_cast<int16_t>(mAddinP->mSettings.mMinThreshold & 0xFFFF);
  bool wasAtRest = true;
  while (mIsToRead) {
    int16_t motion[6] = {0, 0, 0, 0, 0, 0};
    int32_t eventCode = 0;
    const auto readStart = std::chrono::steady_clock::now();
    if (library.getEvent(motion, &eventCode) == 0) {
      if (eventCode >= 0) {
        KXLOG(LOG_TRC) << "event: " << eventCode << ", APPL_FUNC_START: " << APPL_FUNC_START
                       << LOG_END;
      }
      const EventAction action = mAddinP->storeEventCode(eventCode);
      if (action == EventAction::kRereadAdvanced) {
        retrieveRotMode();
      } else if (action == EventAction::kResendMode) {
        lastModeSent.clear();
      }
      mAddinP->storeMotion(motion);
      const bool isAtRest = isCapAtRest(motion, threshold);
      CreoProxy* creoProxy = mAddinP->mCreoProxyP;
      if (creoProxy && isPumpToWake(action, wasAtRest, isAtRest)) creoProxy->wakePump();
      wasAtRest = isAtRest;
    } else {
      pauseAfterFailedRead(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - readStart)
                               .count());
    }
    announceMode(lastModeSent);
  }
  mIsReading = false;
}
