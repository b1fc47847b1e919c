#include "windows/screen_capture.h"

#include <vector>

#include "windows/png_writer.h"

bool ScreenCapture::capture(HWND a, HWND b, const std::string& path, int* width, int* height,
                            std::string* error) {
  RECT r = {0, 0, 0, 0};
  if (a) GetWindowRect(a, &r);
  if (b && IsWindowVisible(b)) {
    RECT rb;
    GetWindowRect(b, &rb);
    UnionRect(&r, &r, &rb);
  }
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  IntersectRect(&r, &r, &screen);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) {
    *error = "nothing on screen to capture";
    return false;
  }
  HDC screenDc = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screenDc);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screenDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bmp && bits;
  if (ok) {
    HGDIOBJ old = SelectObject(mem, bmp);
    ok = BitBlt(mem, 0, 0, w, h, screenDc, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(mem, old);
  }
  std::vector<uint8_t> rgb;
  if (ok) {
    rgb.resize(static_cast<size_t>(w) * h * 3);
    const uint8_t* p = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
      rgb[i * 3] = p[i * 4 + 2];
      rgb[i * 3 + 1] = p[i * 4 + 1];
      rgb[i * 3 + 2] = p[i * 4];
    }
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screenDc);
  if (!ok) {
    *error = "screen capture failed, Windows error " + std::to_string(GetLastError());
    return false;
  }
  *width = w;
  *height = h;
  return PngWriter::write(path, w, h, rgb, error);
}
