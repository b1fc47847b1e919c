// The host program's entry with its options, and its side modes: the journal summary and the
// "other application" window used to take the foreground away from the host.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "api/kx_host_extra.h"
#include "app/host_app.h"
#include "journal/journal_summary.h"

namespace {

LRESULT CALLBACK otherProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// The registry file an installer leaves in the installation's own text folder, one level above
// the folder of the host's programs; empty when there is none.
std::string installedRegistryFile() {
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  std::wstring path(exe, n);
  for (int up = 0; up < 2; ++up) {
    size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return "";
    path.resize(cut);
  }
  path += L"\\text\\protk.dat";
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
  return toUtf8(path);
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

extern "C" int kxh_Run(int argc, wchar_t** argv) {
  HostOptions o;
  bool other = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = toUtf8(argv[i]);
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = toUtf8(argv[++i]);
      return true;
    };
    // A whole number above 0 for the option; false (after saying why) when it is not one.
    auto positive = [&a](const std::string& text, const char* unit, int* out) {
      const int n = std::atoi(text.c_str());
      if (n <= 0) {
        fprintf(stderr, "creo_host: bad value '%s' for %s (%s, more than 0)\n", text.c_str(),
                a.c_str(), unit);
        return false;
      }
      *out = n;
      return true;
    };
    std::string number;
    bool ok = true;
    if (a == "--registry")
      ok = value(&o.registry);
    else if (a == "--journal")
      ok = value(&o.journal);
    else if (a == "--scenario")
      ok = value(&o.scenario);
    else if (a == "--language")
      ok = value(&o.language);
    else if (a == "--screenshot")
      ok = value(&o.screenshot);
    else if (a == "--commands")
      ok = value(&o.commands);
    else if (a == "--window-shot")
      ok = value(&o.windowShot);
    else if (a == "--daemon-config")
      ok = value(&o.daemonConfig);
    else if (a == "--refuse-config")
      ok = value(&o.refusedConfigOption);
    else if (a == "--press-while-shown") {
      ok = value(&o.pressClass) && value(&number);
      if (ok && !positive(number, "a button number", &o.pressButton)) return 3;
    } else if (a == "--slow-resources") {
      ok = value(&number);
      if (ok && !positive(number, "microseconds", &o.slowResourcesUs)) return 3;
    } else if (a == "--max-ms") {
      ok = value(&number);
      if (ok && !positive(number, "milliseconds", &o.maxMs)) return 3;
    } else if (a == "--stay-open")
      o.stayOpen = true;
    else if (a == "--start-before-windows")
      o.startBeforeWindows = true;
    else if (a == "--other-app")
      other = true;
    else if (a == "--summary") {
      std::string path;
      if (!value(&path))
        ok = false;
      else if (!kxh_Summary(path.c_str()))
        return 3;
      else
        return 0;
    } else {
      fprintf(stderr, "creo_host: unknown option '%s'\n", a.c_str());
      return 3;
    }
    if (!ok) {
      fprintf(stderr, "creo_host: option '%s' needs a value\n", a.c_str());
      return 3;
    }
  }
  if (other) return kxh_OtherApp();
  if (o.registry.empty() && GetFileAttributesW(L"protk.dat") != INVALID_FILE_ATTRIBUTES)
    o.registry = "protk.dat";
  if (o.registry.empty()) o.registry = installedRegistryFile();
  HostApp app;
  return app.run(o);
}
