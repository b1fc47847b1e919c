// The host program's side modes: the journal summary and the "other application" window used to
// take the foreground away from the host.
#include <windows.h>

#include <cstdio>
#include <string>

#include "journal_summary.h"
#include "kx_host_extra.h"

namespace {

LRESULT CALLBACK otherProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

extern "C" int kxh_Summary(const char* journalPath) {
  std::string out, error;
  if (!JournalSummary::summarize(journalPath, &out, &error)) {
    fprintf(stderr, "creo_host: %s\n", error.c_str());
    return 0;
  }
  fputs(out.c_str(), stdout);
  return 1;
}

extern "C" int kxh_OtherApp(void) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = otherProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  wc.lpszClassName = L"KxOtherApp";
  RegisterClassExW(&wc);
  HWND w = CreateWindowExW(0, L"KxOtherApp", L"Another application", WS_OVERLAPPEDWINDOW, 300, 200,
                           400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return 3;
  ShowWindow(w, SW_SHOW);
  SetForegroundWindow(w);
  // The runner kills this process; the limit only guards against being left behind.
  SetTimer(w, 1, 600000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
