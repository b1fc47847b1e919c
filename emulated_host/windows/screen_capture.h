// Screenshots of the host's screen as PNG.
#ifndef KX_EMULATED_HOST_SCREEN_CAPTURE_H
#define KX_EMULATED_HOST_SCREEN_CAPTURE_H

#include <windows.h>

#include <string>

class ScreenCapture {
 public:
  // Captures the screen area covering the given top-level windows.
  static bool capture(HWND a, HWND b, const std::string& path, int* width, int* height,
                      std::string* error);
};

#endif
