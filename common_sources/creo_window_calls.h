// The Win32 calls with which the host bridge looks at windows (the graphics window's class, the
// control under the pointer) and scrolls them. They default to the system's; tests put in their own
// to record the calls or to stand for windows that are not there.
#pragma once

#include <windows.h>

struct CreoWindowCalls {
  int(WINAPI* getClassNameA)(HWND window, LPSTR name, int size);
  BOOL(WINAPI* getCursorPos)(LPPOINT point);
  HWND(WINAPI* windowFromPoint)(POINT point);
  BOOL(WINAPI* getWindowRect)(HWND window, LPRECT rect);
  HWND(WINAPI* getParent)(HWND window);
  HWND(WINAPI* getWindow)(HWND window, UINT relation);
  BOOL(WINAPI* isWindowVisible)(HWND window);
  HWND(WINAPI* getAncestor)(HWND window, UINT flags);
  HWND(WINAPI* getForegroundWindow)();
  BOOL(WINAPI* getScrollInfo)(HWND window, int bar, LPSCROLLINFO info);
  LRESULT(WINAPI* sendMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL(WINAPI* postMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL(WINAPI* updateWindow)(HWND window);
  BOOL(WINAPI* redrawWindow)(HWND window, const RECT* rect, HRGN region, UINT flags);
  void (*sleep)(int milliseconds);
};
