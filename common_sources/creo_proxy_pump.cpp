// The host bridge's pump: finding the host's windows, the timer on the user-interface thread and
// the reading thread's wake-up of it.
#include "creo_proxy.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "catalogue_paths.h"
#include "cnfg.h"
#include "daemon_proxy.h"
#include "kx_addin.h"
#include "logging.h"
#include "macro_text.h"
#include "mapkey_text.h"
#include "matrix_ops.h"
#include "menu_file.h"
#include "mnu_parser.h"
#include "mode_tracking.h"
#include "object_move.h"
#include "pro_toolkit.h"
#include "progress_window.h"
#include "scroll_rules.h"
#include "sleep_ms.h"
#include "view_commands.h"

void CreoProxy::discoverWindows() {
  EnumThreadWindows(GetCurrentThreadId(), &CreoProxy::MyEnumThreadWndProc, 0);
}

void CreoProxy::armTimer(UINT intervalMs) {
  mIsPumpArmed =
      SetTimer(toWindow(mTimerWndHandle), kTimerId, intervalMs, &CreoProxy::TimerProc) != 0;
}

void CreoProxy::onWake() {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return;
  if (proxy->mIsInTick) {
    proxy->mIsWakeDeferred = true;
    return;
  }
  if (!proxy->mIsPumpArmed || !proxy->mIsTimerOn) return;
  try {
    KXLOG(LOG_INF) << "Timer woken" << LOG_END;
  } catch (...) {
  }
  TimerProc(toWindow(proxy->mTimerWndHandle), WM_TIMER, kTimerId, GetTickCount());
}

namespace {

// The plug-in's own windows (the timer's wake-up window, the progress window) belong to no host
// and may go before the plug-in does; whether the system lists them among the thread's windows is
// its own affair.
bool isOwnWindow(HWND window, HWND wakeWindow) {
  if (window == wakeWindow) return true;
  char className[64] = "";
  GetClassNameA(window, className, sizeof(className));
  return std::strcmp(className, ProgressWindow::kClassName) == 0;
}

}  // namespace

BOOL CALLBACK CreoProxy::MyEnumThreadWndProc(HWND window, LPARAM) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return FALSE;
  if (isOwnWindow(window, proxy->mWakeWindow.handle())) return TRUE;
  if (proxy->mTimerWndHandle == 0) {
    proxy->mTimerWndHandle = toHandle(window);
    if (proxy->mTimerWndHandle < 1) {
      KXLOG(LOG_ERR) << "No valid Creo Window Handle found for Timer" << LOG_END;
    } else {
      KXLOG(LOG_DBG) << "Window Handle found for Timer: " << proxy->mTimerWndHandle << LOG_END;
      proxy->armTimer(kIntervalAtRestMs);
    }
  }
  EnumChildWindows(window, &CreoProxy::isGraphicsWindow, 0);
  return proxy->mTimerWndHandle < 1 || proxy->mPGLWndHandle < 1;
}

BOOL CALLBACK CreoProxy::isGraphicsWindow(HWND window, LPARAM) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return FALSE;
  char className[256] = "";
  sWindowCalls.getClassNameA(window, className, sizeof(className));
  if (std::strcmp(className, "PGLWindow") == 0 || std::strcmp(className, "PGL_STD_WN_CLASS") == 0) {
    proxy->mPGLWndHandle = toHandle(window);
    return FALSE;
  }
  // EnumChildWindows already walks the whole subtree depth first; enumerating each child's own
  // children again would look at a window once per ancestor, exponential in the depth.
  return TRUE;
}

void CreoProxy::validateWindows() {
  if (mTimerWndHandle >= 1 && mPGLWndHandle >= 1 && IsWindow(toWindow(mTimerWndHandle)) &&
      IsWindow(toWindow(mPGLWndHandle))) {
    return;
  }
  // The discovery arms the timer on the window it finds first; the old one must not tick on beside
  // it, nor outlive the plug-in on a window the destructor no longer knows.
  if (mTimerWndHandle >= 1) KillTimer(toWindow(mTimerWndHandle), kTimerId);
  // Armed again only if the discovery finds a window; a wake-up meanwhile must not tick.
  mIsPumpArmed = false;
  mTimerWndHandle = 0;
  mPGLWndHandle = 0;
  discoverWindows();
}

VOID CALLBACK CreoProxy::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return;
  proxy->mIsInTick = true;
  guard(KX_GUARD_SITE, [proxy] {
    KXLOG(LOG_INF) << "Timer Callback start" << LOG_END;
    KillTimer(toWindow(proxy->mTimerWndHandle), kTimerId);
    proxy->mIsPumpArmed = false;
    proxy->mAddinP->mSettingsReload.poll(GetTickCount64());
    if (proxy->mAddinP->mSettings.mIsModeToRead) proxy->checkMode(false);
    if (proxy->mMnuProgress != 1.0) proxy->loadMenufile();
    proxy->doTransform();
    if (proxy->mIsTimerOn) {
      const UINT interval = sIsCapMoving ? kIntervalMovingMs : kIntervalAtRestMs;
      KXLOG(LOG_DBG) << "timerIntvl: " << static_cast<int32_t>(interval) << LOG_END;
      proxy->armTimer(interval);
    }
    KXLOG(LOG_INF) << "Timer Callback end" << LOG_END;
  });
  proxy->mIsInTick = false;
  if (proxy->mIsWakeDeferred) {
    proxy->mIsWakeDeferred = false;
    proxy->wakePump();
  }
}
