#include "creo_proxy.h"

#include "logging.h"

CreoProxy::CreoProxy(CKxAddin* addinP)
    : mAddinP(addinP), mIsTimerOn(true), mIsRefitAfterViewCmd(false), mMnuProgress(1.0) {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  // Without a catalogue to build, the catalogue step is over from the start, so the reading thread
  // reads at once.
  KXLOG(LOG_CRT) << "Constructed." << LOG_END;
}

CreoProxy::~CreoProxy() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  mIsTimerOn = false;
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
}

std::string CreoProxy::getCurrentModeName() { return "Default"; }
