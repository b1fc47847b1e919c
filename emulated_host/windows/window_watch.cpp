#include "windows/window_watch.h"

#include <commctrl.h>

#include <cstdio>

#include "app/host_app.h"
#include "json_line.h"
#include "scenarios/daemon_link.h"
#include "windows/host_windows.h"
#include "windows/screen_capture.h"

namespace {

struct Collect {
  DWORD pid;
  // The host's own top-level windows, which are not watched.
  HWND own[3];
  bool visibleOnly;
  std::vector<HWND>* out;
};

BOOL CALLBACK collectTop(HWND w, LPARAM lp) {
  Collect* c = reinterpret_cast<Collect*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != c->pid) return TRUE;
  for (HWND own : c->own)
    if (w == own) return TRUE;
  if (c->visibleOnly && !IsWindowVisible(w)) return TRUE;
  c->out->push_back(w);
  return TRUE;
}

BOOL CALLBACK collectChild(HWND w, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}

std::string hex32(LONG_PTR v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(v & 0xFFFFFFFF));
  return text;
}

// The window's text as the system keeps it: no message is sent, so a window whose thread is busy
// cannot hold the watch up.
std::string textOf(HWND w) {
  wchar_t text[512] = {};
  InternalGetWindowText(w, text, 512);
  return toUtf8(text);
}

std::string classOf(HWND w) {
  char cls[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  return cls;
}

}  // namespace

bool WindowWatch::start(std::string* error) {
  mThread = CreateThread(nullptr, 0, &WindowWatch::threadMain, this, 0, nullptr);
  if (!mThread) {
    *error = "cannot start the window watch, Windows error " + std::to_string(GetLastError());
    return false;
  }
  return true;
}

void WindowWatch::stop() {
  if (!mThread) return;
  mIsToStop = true;
  WaitForSingleObject(mThread, INFINITE);
  CloseHandle(mThread);
  mThread = nullptr;
  poll();
  for (const auto& kv : mWatched) {
    if (kv.second.uiThread) continue;
    mApp->journal().write(JsonLine("fault")
                              .str("what", "window_left_open")
                              .str("class", kv.second.cls)
                              .num("thread", kv.second.thread));
  }
}

DWORD WINAPI WindowWatch::threadMain(void* self) {
  WindowWatch* watch = static_cast<WindowWatch*>(self);
  while (!watch->mIsToStop) {
    watch->poll();
    Sleep(kPollMs);
  }
  return 0;
}

std::vector<HWND> WindowWatch::topWindows(bool visibleOnly) const {
  std::vector<HWND> found;
  HostWindows& hw = mApp->windows();
  Collect c = {
      GetCurrentProcessId(), {hw.frame(), hw.dialog(), hw.control("gallery")}, visibleOnly, &found};
  EnumWindows(collectTop, reinterpret_cast<LPARAM>(&c));
  return found;
}

int WindowWatch::countWindowsIn(const std::function<bool(const void*)>& inModule) const {
  int n = 0;
  for (HWND w : topWindows(false)) {
    // Asked in the window's own character set, the procedure's address comes back, not a stub.
    LONG_PTR proc = IsWindowUnicode(w) ? GetWindowLongPtrW(w, GWLP_WNDPROC)
                                       : GetWindowLongPtrA(w, GWLP_WNDPROC);
    if (inModule(reinterpret_cast<const void*>(proc))) {
      mApp->journal().write(JsonLine("fault")
                                .str("what", "window_left_open")
                                .str("class", classOf(w))
                                .num("thread", GetWindowThreadProcessId(w, nullptr)));
      ++n;
    }
  }
  return n;
}

void WindowWatch::poll() {
  std::vector<HWND> now = topWindows(true);
  for (auto it = mWatched.begin(); it != mWatched.end();) {
    bool present = false;
    for (HWND w : now) present = present || w == it->first;
    if (present) {
      ++it;
      continue;
    }
    onGone(it->first, &it->second);
    it = mWatched.erase(it);
  }
  for (HWND w : now) {
    auto found = mWatched.find(w);
    if (found == mWatched.end()) {
      Watched& watched = mWatched[w];
      onShown(w, &watched);
      continue;
    }
    Watched& watched = found->second;
    readState(w, &watched, false);
    if (isToPress(watched)) press(w, &watched);
    if (watched.closeAt && !watched.closeJudged &&
        GetTickCount64() - watched.closeAt >= static_cast<ULONGLONG>(kCloseJudgeMs)) {
      watched.closeJudged = true;
      mApp->journal().write(JsonLine("window_close_request")
                                .str("class", watched.cls)
                                .flag("survived", true)
                                .num("waited_ms", GetTickCount64() - watched.closeAt));
    }
  }
}

void WindowWatch::onShown(HWND w, Watched* watched) {
  watched->thread = GetWindowThreadProcessId(w, nullptr);
  watched->uiThread = watched->thread == mApp->uiThread();
  watched->cls = classOf(w);
  watched->shownAt = GetTickCount64();
  RECT r = {};
  GetWindowRect(w, &r);
  std::vector<HWND> children;
  EnumChildWindows(w, collectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND c : children) {
    std::string cls = classOf(c);
    if (!watched->textLine && lstrcmpiA(cls.c_str(), "Static") == 0) watched->textLine = c;
    if (!watched->bar && lstrcmpiA(cls.c_str(), PROGRESS_CLASSA) == 0) watched->bar = c;
  }
  mApp->journal().write(JsonLine("window_shown")
                            .str("class", watched->cls)
                            .str("title", textOf(w))
                            .num("thread", watched->thread)
                            .flag("ui_thread", watched->uiThread)
                            .str("style", hex32(GetWindowLongPtrW(w, GWL_STYLE)))
                            .str("ex_style", hex32(GetWindowLongPtrW(w, GWL_EXSTYLE)))
                            .num("x", r.left)
                            .num("y", r.top)
                            .num("width", r.right - r.left)
                            .num("height", r.bottom - r.top)
                            .flag("has_owner", GetWindow(w, GW_OWNER) != nullptr)
                            .num("children", children.size())
                            .num("ui_busy_ms", HostApp::uiBusyMs()));
  for (HWND c : children) {
    RECT cr = {};
    GetWindowRect(c, &cr);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&cr), 2);
    mApp->journal().write(JsonLine("window_child")
                              .str("parent", watched->cls)
                              .str("class", classOf(c))
                              .str("text", textOf(c))
                              .str("style", hex32(GetWindowLongPtrW(c, GWL_STYLE)))
                              .str("ex_style", hex32(GetWindowLongPtrW(c, GWL_EXSTYLE)))
                              .num("x", cr.left)
                              .num("y", cr.top)
                              .num("width", cr.right - cr.left)
                              .num("height", cr.bottom - cr.top));
  }
  readState(w, watched, true);
  if (!watched->uiThread) {
    // As the close button and Alt+F4 do, then the plain request.
    PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(w, WM_CLOSE, 0, 0);
    watched->closeAt = GetTickCount64();
  }
}

void WindowWatch::readState(HWND w, Watched* watched, bool first) {
  std::string text = watched->textLine ? textOf(watched->textLine) : textOf(w);
  // A bar that does not answer keeps its last known position.
  int pos = watched->pos;
  int low = -1, high = -1;
  if (watched->bar) {
    DWORD_PTR result = 0;
    // The bar's thread answers when it next takes messages; a busy or hung one is not waited for
    // long, so the watch also sees the window go without delay.
    if (SendMessageTimeoutW(watched->bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result))
      pos = static_cast<int>(result);
    PBRANGE range = {};
    if (first &&
        SendMessageTimeoutW(watched->bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range),
                            SMTO_ABORTIFHUNG, kAnswerMs, &result)) {
      low = range.iLow;
      high = range.iHigh;
    }
  }
  if (!first && text == watched->text && pos == watched->pos) return;
  watched->text = text;
  watched->pos = pos;
  int number = WindowReading::textNumber(text);
  JsonLine state("window_state");
  state.str("class", watched->cls)
      .str("text", text)
      .str("text_form", WindowReading::textForm(text))
      .num("text_number", number)
      .num("bar_pos", pos)
      .flag("falls", watched->reading.falls(number, pos))
      .num("ui_busy_ms", HostApp::uiBusyMs());
  if (first) state.num("bar_min", low).num("bar_max", high);
  mApp->journal().write(state);
  if (!mShotPath.empty() && !mIsShotTaken && !watched->uiThread && pos >= kShotBarPos)
    takeShot(w, *watched);
}

bool WindowWatch::isToPress(const Watched& watched) const {
  const HostOptions& o = mApp->options();
  return !watched.isPressed && !watched.uiThread && o.pressButton > 0 &&
         watched.cls == o.pressClass;
}

void WindowWatch::press(HWND w, Watched* watched) {
  const ULONGLONG now = GetTickCount64();
  if (now < watched->nextPressAt) return;
  watched->nextPressAt = now + kPressPauseMs;
  std::string reply;
  ++watched->pressTries;
  // Until the plug-in has registered with the daemon, the press reaches no one; try again.
  if (!mApp->daemon().send("button " + std::to_string(mApp->options().pressButton), kPressMs,
                           &reply, &watched->pressError) ||
      reply == "ok no-client") {
    if (!reply.empty()) watched->pressError = reply;
    return;
  }
  watched->isPressed = true;
  // Busy time and visibility after the answer: a press answered while the window still stands
  // and the thread is blocked happened while whatever blocks it was running.
  mApp->journal().write(JsonLine("daemon_press")
                            .str("class", watched->cls)
                            .num("button", mApp->options().pressButton)
                            .str("reply", reply)
                            .num("tries", watched->pressTries)
                            .flag("shown", IsWindowVisible(w) != FALSE)
                            .num("ui_busy_ms", HostApp::uiBusyMs()));
}

void WindowWatch::onGone(HWND w, Watched* watched) {
  if (isToPress(*watched)) {
    mApp->journal().write(JsonLine("daemon_press_missed")
                              .str("class", watched->cls)
                              .num("tries", watched->pressTries)
                              .str("error", watched->pressError));
  }
  if (watched->closeAt && !watched->closeJudged) {
    watched->closeJudged = true;
    mApp->journal().write(JsonLine("window_close_request")
                              .str("class", watched->cls)
                              .flag("survived", false)
                              .num("waited_ms", GetTickCount64() - watched->closeAt));
  }
  mApp->journal().write(JsonLine("window_gone")
                            .str("class", watched->cls)
                            .str("how", IsWindow(w) ? "hidden" : "destroyed")
                            .num("lived_ms", GetTickCount64() - watched->shownAt)
                            .num("ui_busy_ms", HostApp::uiBusyMs())
                            .num("since_blocked_ms", HostApp::sinceBlockedMs()));
}

void WindowWatch::takeShot(HWND w, const Watched& watched) {
  mIsShotTaken = true;
  int width = 0, height = 0;
  std::string error;
  if (!ScreenCapture::capture(w, nullptr, mShotPath, &width, &height, &error)) {
    mApp->journal().write(JsonLine("screenshot_failed").str("file", mShotPath).str("error", error));
    return;
  }
  mApp->journal().write(JsonLine("screenshot")
                            .str("file", mShotPath)
                            .num("width", width)
                            .num("height", height)
                            .str("window", watched.cls));
}
