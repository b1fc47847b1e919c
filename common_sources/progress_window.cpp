#include "progress_window.h"

#include <commctrl.h>

#include <string>

#include "logging.h"
#include "progress_watch.h"
#include "sleep_ms.h"

std::atomic<HWND> ProgressWindow::sProgressBarHandle{nullptr};
std::atomic<HWND> ProgressWindow::sProgressTextHandle{nullptr};

namespace {

void failureBox(const char* text) {
  MessageBoxA(nullptr, text, "Error!", MB_ICONEXCLAMATION | MB_OK);
}

}  // namespace

namespace {

// What the window thread owns: its share of the block, and its reference to this module.
struct WindowThreadHold {
  std::shared_ptr<ProgressWindow> block;
  HMODULE module;
};

}  // namespace

bool ProgressWindow::start(const std::shared_ptr<ProgressWindow>& block) {
  HMODULE module = nullptr;
  // Taken here rather than in the thread: until its first step the thread could not stop an
  // unload.
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&ProgressWindow::runProgressWindow), &module)) {
    return false;
  }
  WindowThreadHold* hold = new WindowThreadHold{block, module};
  if (pthread_create(&block->mThread, nullptr, &ProgressWindow::runProgressWindow, hold) != 0) {
    delete hold;
    FreeLibrary(module);
    return false;
  }
  pthread_detach(block->mThread);
  return true;
}

void* ProgressWindow::runProgressWindow(void* shareP) {
  WindowThreadHold* hold = static_cast<WindowThreadHold*>(shareP);
  showProgressWindow(hold->block.get());
  const HMODULE module = hold->module;
  delete hold;
  // The module may be unloaded by this very call, so nothing of it may run afterwards.
  FreeLibraryAndExitThread(module, 0);
  return nullptr;
}

int32_t ProgressWindow::showProgressWindow(ProgressWindow* blockP) {
  try {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = 0;
    windowClass.lpfnWndProc = &ProgressWindow::MNUDlgProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = nullptr;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32516));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    windowClass.hIconSm = LoadIconA(nullptr, MAKEINTRESOURCEA(32516));
    if (!RegisterClassExA(&windowClass)) {
      failureBox("Window Registration Failed!");
      return 0;
    }
    HWND window =
        CreateWindowExA(kExStyle, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, kWidth,
                        kHeight, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
      failureBox("Window Creation Failed!");
      UnregisterClassA(kClassName, nullptr);
      return 0;
    }
    blockP->mWndHandle = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    while (blockP->mIsToShow) {
      MSG message;
      if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      } else {
        sleepMs(kLoopSleepMs);
      }
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    DestroyWindow(window);
    PostQuitMessage(0);
    UnregisterClassA(kClassName, nullptr);
    return 1;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error showProgressWindow()" << LOG_END;
    return 0;
  }
}

LRESULT CALLBACK ProgressWindow::MNUDlgProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND text = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "STATIC", ProgressWatch::kInitialText,
                                  WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 25, 200, 20, window, nullptr,
                                  nullptr, nullptr);
      sProgressTextHandle = text;
      SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
      INITCOMMONCONTROLSEX controls = {};
      controls.dwSize = sizeof(INITCOMMONCONTROLSEX);
      controls.dwICC = ICC_PROGRESS_CLASS;
      InitCommonControlsEx(&controls);
      HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 0, 4, 200, 18,
                                 window, nullptr, nullptr, nullptr);
      sProgressBarHandle = bar;
      SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      return 1;
    }
    case WM_CLOSE:
      // The window goes away when the build is over, not before.
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void ProgressWindow::updateProgressWindow(double progress) {
  try {
    HWND bar = sProgressBarHandle;
    HWND text = sProgressTextHandle;
    if (!ProgressWatch::isShowable(progress) || !bar || !text) return;
    const int32_t percent = ProgressWatch::percentOf(progress);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    const std::string line = ProgressWatch::textFor(percent);
    SendMessageA(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
  } catch (...) {
    KXLOG(LOG_ERR) << "Error updateProgressWindow()" << LOG_END;
  }
}
