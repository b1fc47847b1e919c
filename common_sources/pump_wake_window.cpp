#include "pump_wake_window.h"

#include <cstdint>

#include "logging.h"

namespace {

HINSTANCE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ownModule), &module);
  return module;
}

}  // namespace

PumpWakeWindow::PumpWakeWindow(WakeFn onWake)
    : mOnWake(onWake), mWndHandle(nullptr), mIsPosted(false) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &PumpWakeWindow::windowProc;
  windowClass.hInstance = ownModule();
  windowClass.lpszClassName = kClassName;
  // A class left behind by an earlier copy of the module would call into wherever that copy was.
  if (!RegisterClassExW(&windowClass)) {
    UnregisterClassW(kClassName, windowClass.hInstance);
    if (!RegisterClassExW(&windowClass)) {
      KXLOG(LOG_ERR) << "Cannot register the timer's wake-up window class, error "
                     << static_cast<int64_t>(GetLastError()) << LOG_END;
      return;
    }
  }
  const HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  if (!window) {
    KXLOG(LOG_ERR) << "Cannot create the timer's wake-up window, error "
                   << static_cast<int64_t>(GetLastError()) << LOG_END;
    UnregisterClassW(kClassName, windowClass.hInstance);
    return;
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  mWndHandle = window;
}

PumpWakeWindow::~PumpWakeWindow() { destroy(); }

void PumpWakeWindow::destroy() {
  const HWND window = mWndHandle.exchange(nullptr);
  if (!window) return;
  DestroyWindow(window);
  // The class points into this module, which the host may unload next.
  UnregisterClassW(kClassName, ownModule());
}

void PumpWakeWindow::post() {
  const HWND window = mWndHandle;
  if (!window || mIsPosted.exchange(true)) return;
  if (!PostMessageW(window, kMessage, 0, 0)) mIsPosted = false;
}

LRESULT CALLBACK PumpWakeWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message != kMessage) return DefWindowProcW(window, message, wParam, lParam);
  auto* wake = reinterpret_cast<PumpWakeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!wake) return 0;
  // Cleared first: what the reading thread stores from now on wakes the pump again.
  wake->mIsPosted = false;
  wake->mOnWake();
  return 0;
}
