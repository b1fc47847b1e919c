// A top-level window of this process by class and title: test processes run side by side on one
// desktop and may show windows of the same kind.
#pragma once

#include <windows.h>

inline HWND findOwnWindow(const char* cls, const char* title) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, title); w;
       w = FindWindowExA(nullptr, w, cls, title)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return w;
  }
  return nullptr;
}
