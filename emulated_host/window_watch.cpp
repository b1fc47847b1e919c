#include "window_watch.h"

#include "host_journal.h"
#include "json_line.h"
#include "screen_capture.h"

namespace {

struct Search {
  const std::string* className;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND w, LPARAM lp) {
  Search* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[256] = {};
  if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !GetClassNameA(w, cls, sizeof cls) ||
      *s->className != cls)
    return TRUE;
  s->found = w;
  return FALSE;
}

}  // namespace

WindowWatch::WindowWatch(HostJournal* journal, const std::string& className,
                         const std::string& path)
    : mJournal(journal), mClass(className), mPath(path), mThread([this] { run(); }) {}

WindowWatch::~WindowWatch() {
  mStop = true;
  mThread.join();
}

bool WindowWatch::parseOption(const std::string& option, std::string* className,
                              std::string* path) {
  size_t eq = option.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == option.size()) return false;
  *className = option.substr(0, eq);
  *path = option.substr(eq + 1);
  return true;
}

HWND WindowWatch::find() const {
  Search s = {&mClass, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void WindowWatch::run() {
  HWND w = nullptr;
  while (!mStop && !(w = find())) Sleep(5);
  if (!w) return;
  char title[256] = {};
  GetWindowTextA(w, title, sizeof title);
  mJournal->write(JsonLine("window_seen").str("class", mClass).str("title", title));
  // Its thread paints it within a few of its message-loop rounds.
  for (int i = 0; i < 20 && !mStop && IsWindow(w); ++i) Sleep(10);
  int width = 0, height = 0;
  std::string error;
  if (IsWindow(w) && IsWindowVisible(w) &&
      ScreenCapture::capture(w, nullptr, mPath, &width, &height, &error))
    mJournal->write(JsonLine("screenshot")
                        .str("file", mPath)
                        .str("window", mClass)
                        .num("width", width)
                        .num("height", height));
  else
    mJournal->write(JsonLine("window_gone").str("class", mClass).str("error", error));
}
