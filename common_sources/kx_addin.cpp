#include "kx_addin.h"

#include "creo_proxy.h"
#include "daemon_proxy.h"
#include "detached_thread.h"
#include "kx_library.h"
#include "logging.h"
#include "sleep_ms.h"

CKxAddin* sAddinP = nullptr;

CKxAddin::CKxAddin()
    : mSettings(),
      mSettingsReload(mSettings),
      mCreoProxyP(nullptr),
      mDaemonProxyP(nullptr),
      mWatchThread(),
      mIsToWatch(false),
      mIsWatching(false),
      mTransX(0),
      mTransY(0),
      mTransZ(0),
      mRotX(0),
      mRotY(0),
      mRotZ(0),
      mMenuFncIdx(-1),
      mKeyEvent(0) {
  // Written nowhere: the log is not configured yet.
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  const int16_t rest[6] = {0, 0, 0, 0, 0, 0};
  storeMotion(rest);
  mKeyEvent = 0;
  configureLogging();

  mCreoProxyP = nullptr;
  mDaemonProxyP = nullptr;
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;

  try {
    mCreoProxyP = new CreoProxy(this);
    // The reading thread looks at the host bridge from its first moment, so the bridge comes first.
    mDaemonProxyP = new DaemonProxy(this);
  } catch (...) {
    // A half-built plug-in must not leave an armed timer pointing at a root object that is gone.
    delete mCreoProxyP;
    mCreoProxyP = nullptr;
    throw;
  }

  mIsToWatch = true;
  // Raised before the thread exists, so a destructor that comes before the thread's first step
  // still waits for it instead of freeing what the thread is about to read.
  mIsWatching = true;
  if (startDetachedThread(&mWatchThread, &CKxAddin::watchConnection, this) != 0) {
    mIsWatching = false;
    KXLOG(LOG_ERR) << "Error creating reading thread!" << LOG_END;
  }
  KXLOG(LOG_CRT) << "Constructed." << LOG_END;
}

CKxAddin::~CKxAddin() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  mIsToWatch = false;
  if (mCreoProxyP) mCreoProxyP->mIsTimerOn = false;
  if (mDaemonProxyP) mDaemonProxyP->mIsToRead = false;

  // The threads are never joined: their own running flags tell when they are done.
  while (mIsWatching) sleepMs(kWatchIntervalMs);

  if (mDaemonProxyP) mDaemonProxyP->resetLegacyCom1();
  delete mDaemonProxyP;
  mDaemonProxyP = nullptr;
  delete mCreoProxyP;
  mCreoProxyP = nullptr;
  // No thread of ours calls the library any more; the next start loads it afresh.
  KxLibrary::release();
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
}

void CKxAddin::configureLogging() {
  // The client library gets a name and a size for its own log but every output and category off.
  if (KxLibrary::api().setDllLogFlags("Creo_plugin_dll_log.txt", 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      "") != 0) {
    KXLOG(LOG_ERR) << "Error in kxSetDllLogFlags()!" << LOG_END;
  }

  // All the user's log settings; the section name and the settings folder stay as the log has
  // them.
  LogPars pars = mSettings.mLogPars;
  pars.mSectionName = gLog.mLogPars.mSectionName;
  pars.mSettingsDirPath = gLog.mLogPars.mSettingsDirPath;
  gLog.init(pars);
  KxLibrary::logLoad();
}

std::string CKxAddin::getCurrentModeName() {
  return mCreoProxyP ? mCreoProxyP->getCurrentModeName() : std::string("Default");
}

EventAction CKxAddin::storeEventCode(int32_t eventCode) {
  const EventAction action = classifyEventCode(eventCode);
  if (action == EventAction::kSpecialCommand) {
    mKeyEvent = eventCode;
  } else if (action == EventAction::kApplFunction) {
    mMenuFncIdx = eventCode - APPL_FUNC_START;
  }
  return action;
}

void CKxAddin::storeMotion(const int16_t motion[6]) {
  mTransX = motion[0];
  mTransY = motion[1];
  mTransZ = motion[2];
  mRotX = motion[3];
  mRotY = motion[4];
  mRotZ = motion[5];
}

void CKxAddin::takeMotion(int16_t motion[6]) const {
  motion[0] = mTransX;
  motion[1] = mTransY;
  motion[2] = mTransZ;
  motion[3] = mRotX;
  motion[4] = mRotY;
  motion[5] = mRotZ;
}

void* CKxAddin::watchConnection(void* addinP) {
  CKxAddin* addin = static_cast<CKxAddin*>(addinP);
  const bool isToWatch = addin->mIsToWatch;
  addin->mIsWatching = true;
  if (!isToWatch) {
    addin->mIsWatching = false;
    return nullptr;
  }
  do {
    if (!addin->mDaemonProxyP->checkConnection()) addin->mDaemonProxyP->connect();
    sleepMs(kWatchIntervalMs);
  } while (addin->mIsToWatch);
  addin->mIsWatching = false;
  return nullptr;
}

extern "C" int kxAddinStart() {
  // Nothing may escape into the host; without an object the plug-in simply stays inactive.
  try {
    if (!sAddinP) sAddinP = new CKxAddin();
  } catch (...) {
    sAddinP = nullptr;
  }
  return 0;
}

extern "C" void kxAddinStop() {
  if (sAddinP) delete sAddinP;
  sAddinP = nullptr;
}
