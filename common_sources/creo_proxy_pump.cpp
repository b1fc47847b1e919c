// The host bridge's pump: finding the host's windows, the timer on the user-interface thread and
// the reading thread's wake-up of it.
#include "creo_proxy.h"

#include <cstdio>
#include <cstdlib>
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

namespace {

HINSTANCE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&CreoProxy::wakeWndProc), &module);
  return module;
}

}  // namespace

void CreoProxy::createWakeWindow() {
  // Off only to measure the timer's own pace beside it.
  const char* setting = std::getenv("KX_PUMP_WAKE");
  if (setting && std::strcmp(setting, "off") == 0) return;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &CreoProxy::wakeWndProc;
  windowClass.hInstance = ownModule();
  windowClass.lpszClassName = kWakeClassName;
  // A class left behind by an earlier copy of the module would call into wherever that copy was.
  if (!RegisterClassExW(&windowClass)) {
    UnregisterClassW(kWakeClassName, windowClass.hInstance);
    if (!RegisterClassExW(&windowClass)) {
      KXLOG(LOG_ERR) << "Cannot register the timer's wake-up window class, error "
                     << static_cast<int64_t>(GetLastError()) << LOG_END;
      return;
    }
  }
  const HWND window = CreateWindowExW(0, kWakeClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  if (!window) {
    KXLOG(LOG_ERR) << "Cannot create the timer's wake-up window, error "
                   << static_cast<int64_t>(GetLastError()) << LOG_END;
    UnregisterClassW(kWakeClassName, windowClass.hInstance);
    return;
  }
  mWakeWndHandle = window;
}

void CreoProxy::destroyWakeWindow() {
  const HWND window = mWakeWndHandle.exchange(nullptr);
  if (!window) return;
  DestroyWindow(window);
  // The class points into this module, which the host may unload next.
  UnregisterClassW(kWakeClassName, ownModule());
}

void CreoProxy::wakePump() {
  const HWND window = mWakeWndHandle;
  if (!window || mIsWakePosted.exchange(true)) return;
  if (!PostMessageW(window, kWakeMessage, 0, 0)) mIsWakePosted = false;
}

LRESULT CALLBACK CreoProxy::wakeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWakeMessage) return DefWindowProcW(window, message, wParam, lParam);
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return 0;
  // Cleared first: what the reading thread stores from now on wakes the pump again.
  proxy->mIsWakePosted = false;
  if (proxy->mIsInTick) {
    proxy->mIsWakeDeferred = true;
    return 0;
  }
  if (!proxy->mIsPumpArmed || !proxy->mIsTimerOn) return 0;
  try {
    KXLOG(LOG_INF) << "Timer woken" << LOG_END;
  } catch (...) {
  }
  TimerProc(toWindow(proxy->mTimerWndHandle), WM_TIMER, kTimerId, GetTickCount());
  return 0;
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
  if (isOwnWindow(window, proxy->mWakeWndHandle)) return TRUE;
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
  try {
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
  } catch (...) {
    KXLOG(LOG_ERR) << "Error TimerProc()" << LOG_END;
  }
  proxy->mIsInTick = false;
  if (proxy->mIsWakeDeferred) {
    proxy->mIsWakeDeferred = false;
    proxy->wakePump();
  }
}
