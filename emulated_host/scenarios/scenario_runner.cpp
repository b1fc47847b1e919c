#include "scenarios/scenario_runner.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "api/view_math.h"
#include "app/host_app.h"
#include "app/plugin_loader.h"
#include "journal/process_counts.h"
#include "json_line.h"
#include "scenarios/daemon_link.h"
#include "windows/host_windows.h"
#include "windows/screen_capture.h"

namespace {
bool sQuit = false;

struct FindOther {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK findOther(HWND w, LPARAM lp) {
  FindOther* f = reinterpret_cast<FindOther*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (pid != f->pid || std::string(cls) != "KxOtherApp") return TRUE;
  f->found = w;
  return FALSE;
}
}  // namespace

ScenarioRunner::~ScenarioRunner() {
  if (mOther) {
    TerminateProcess(mOther, 0);
    CloseHandle(mOther);
  }
}

bool ScenarioRunner::pump(int ms) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        sQuit = true;
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      HostApp::dispatch(msg);
    }
    if (static_cast<int>(GetTickCount() - start) >= ms) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (true);
  return !sQuit;
}

HWND ScenarioRunner::otherWindow() const {
  if (!mOther) return nullptr;
  // Only the window of the process this scenario started counts, not another run's.
  FindOther f = {GetProcessId(mOther), nullptr};
  EnumWindows(findOther, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

std::string ScenarioRunner::where(const ScenarioStep& s) const {
  return mScenario.fileName() + ":" + std::to_string(s.line);
}

int ScenarioRunner::run(std::string* error) {
  HostJournal& j = mApp->journal();
  j.write(JsonLine("scenario_start")
              .str("file", mScenario.fileName())
              .num("steps", mScenario.steps().size()));
  for (const ScenarioStep& s : mScenario.steps()) {
    if (!pump(0)) break;
    j.write(JsonLine("step").num("line", s.line).str("verb", s.verb).str("text", s.rest));
    std::string why;
    if (!step(s, &why)) {
      *error = where(s) + ": " + why;
      j.write(JsonLine("step_error").num("line", s.line).str("error", why));
      return -1;
    }
    // Let the posted messages of this step run before the next one starts.
    if (!pump(30)) break;
  }
  j.write(JsonLine("scenario_end").num("failed", mFailed));
  return mFailed;
}

std::vector<std::string> ScenarioRunner::journalLines(const ScenarioStep& s, size_t from) {
  if (!s.daemonJournal) return mApp->journal().linesFrom(from);
  std::vector<std::string> lines;
  std::ifstream in(mApp->daemon().journalPath(), std::ios::binary);
  std::string l;
  size_t n = 0;
  while (std::getline(in, l)) {
    // A line still being written has no line feed yet; it is read again at the next poll.
    if (in.eof()) break;
    if (n++ < from) continue;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

bool ScenarioRunner::check(const ScenarioStep& s, std::string* why) {
  int n = s.condition.count(journalLines(s, 0));
  if (s.verb == "expect" && n > 0) return true;
  if (s.verb == "expect-none" && n == 0) return true;
  if (s.verb == "expect-count" && n == s.count) return true;
  *why = s.verb + " " + (s.daemonJournal ? "daemon " : "") +
         (s.verb == "expect-count" ? std::to_string(s.count) + " " : "") + s.condition.text() +
         ": found " + std::to_string(n);
  return false;
}

const std::map<std::string, ScenarioRunner::Step>& ScenarioRunner::handlers() {
  static const std::map<std::string, Step> kHandlers = {
      {"expect", &ScenarioRunner::expectEvents},
      {"expect-none", &ScenarioRunner::expectEvents},
      {"expect-count", &ScenarioRunner::expectEvents},
      {"wait-until", &ScenarioRunner::waitUntil},
      {"wait", &ScenarioRunner::wait},
      {"open", &ScenarioRunner::openModel},
      {"new", &ScenarioRunner::openModel},
      {"window", &ScenarioRunner::activateWindow},
      {"window-silent", &ScenarioRunner::activateWindowSilently},
      {"replace-graphics", &ScenarioRunner::replaceGraphics},
      {"close-window", &ScenarioRunner::closeWindow},
      {"sketch", &ScenarioRunner::sketch},
      {"select", &ScenarioRunner::select},
      {"select-item", &ScenarioRunner::selectItem},
      {"select-clear", &ScenarioRunner::clearSelection},
      {"pointer", &ScenarioRunner::movePointer},
      {"foreground", &ScenarioRunner::bringToForeground},
      {"menu", &ScenarioRunner::menu},
      {"menu-open", &ScenarioRunner::menu},
      {"keys", &ScenarioRunner::typeKeys},
      {"popup", &ScenarioRunner::popup},
      {"command", &ScenarioRunner::runCommand},
      {"edit", &ScenarioRunner::userEdit},
      {"nav", &ScenarioRunner::navigate},
      {"screenshot", &ScenarioRunner::screenshot},
      {"scroll-state", &ScenarioRunner::scrollState},
      {"process-counts", &ScenarioRunner::processCounts},
      {"plugin-stop", &ScenarioRunner::stopOrStartPlugin},
      {"plugin-start", &ScenarioRunner::stopOrStartPlugin},
      {"daemon-start", &ScenarioRunner::daemonStart},
      {"daemon-kill", &ScenarioRunner::daemonKill},
      {"daemon", &ScenarioRunner::daemonCommand},
      {"copy-file", &ScenarioRunner::copyFile},
      {"placement", &ScenarioRunner::placeOrView},
      {"view", &ScenarioRunner::placeOrView},
      {"expect-distance", &ScenarioRunner::expectPlacement},
      {"expect-still", &ScenarioRunner::expectPlacement},
  };
  return kHandlers;
}

const std::vector<std::string>& ScenarioRunner::verbs() {
  static const std::vector<std::string> kVerbs = [] {
    std::vector<std::string> names;
    for (const auto& h : handlers()) names.push_back(h.first);
    return names;
  }();
  return kVerbs;
}

bool ScenarioRunner::step(const ScenarioStep& s, std::string* error) {
  auto h = handlers().find(s.verb);
  if (h == handlers().end()) {
    *error = "step \"" + s.verb + "\" is not implemented";
    return false;
  }
  return (this->*h->second)(s, error);
}

void ScenarioRunner::failed(const ScenarioStep& s, const std::string& why) {
  ++mFailed;
  mApp->journal().write(JsonLine("expect_failed").num("line", s.line).str("what", why));
  fprintf(stderr, "%s: expectation failed: %s\n", where(s).c_str(), why.c_str());
}

bool ScenarioRunner::expectEvents(const ScenarioStep& s, std::string*) {
  std::string why;
  if (!check(s, &why)) failed(s, why);
  return true;
}

bool ScenarioRunner::waitUntil(const ScenarioStep& s, std::string*) {
  DWORD start = GetTickCount();
  size_t& mark = s.daemonJournal ? mDaemonMark : mHostMark;
  // Each poll looks only at the lines the previous polls have not seen.
  size_t seen = mark;
  while (true) {
    std::vector<std::string> fresh = journalLines(s, seen);
    int found = s.condition.first(fresh);
    if (found >= 0) {
      mark = seen + static_cast<size_t>(found) + 1;
      return true;
    }
    seen += fresh.size();
    if (static_cast<int>(GetTickCount() - start) > s.limitMs) {
      failed(s, "wait-until " + s.condition.text() + " did not hold within " +
                    std::to_string(s.limitMs) + " ms");
      return true;
    }
    if (!pump(20)) return true;
  }
}

bool ScenarioRunner::wait(const ScenarioStep& s, std::string*) {
  pump(s.limitMs);
  return true;
}

bool ScenarioRunner::openModel(const ScenarioStep& s, std::string* error) {
  return mApp->openModel(s.args[0], s.args[1], s.verb == "new", error);
}

bool ScenarioRunner::activateWindow(const ScenarioStep& s, std::string* error) {
  return mApp->activateWindow(std::stoi(s.args[0]), error);
}

bool ScenarioRunner::activateWindowSilently(const ScenarioStep& s, std::string* error) {
  // Some host dialogs make another window current without the window-change notification; the
  // user interface is brought up to date all the same.
  if (!mApp->session().activateWindow(std::stoi(s.args[0]), error)) return false;
  mApp->windows().repaint();
  mApp->commands().updateAll("window_silent");
  return true;
}

bool ScenarioRunner::replaceGraphics(const ScenarioStep&, std::string*) {
  mApp->windows().replaceGraphics();
  return true;
}

bool ScenarioRunner::closeWindow(const ScenarioStep& s, std::string* error) {
  if (!mApp->session().closeWindow(std::stoi(s.args[0]), error)) return false;
  mApp->session().fire(PRO_WINDOW_CHANGE_POST, "window closed");
  mApp->windows().repaint();
  return true;
}

bool ScenarioRunner::sketch(const ScenarioStep& s, std::string* error) {
  bool ok = mApp->session().setSketch(s.args[0] == "on", error);
  mApp->windows().repaint();
  return ok;
}

bool ScenarioRunner::select(const ScenarioStep& s, std::string* error) {
  return mApp->session().select(s.args[0], error);
}

bool ScenarioRunner::selectItem(const ScenarioStep& s, std::string* error) {
  return mApp->session().selectItem(s.args[0], error);
}

bool ScenarioRunner::clearSelection(const ScenarioStep&, std::string*) {
  mApp->session().clearSelection();
  return true;
}

bool ScenarioRunner::movePointer(const ScenarioStep& s, std::string* error) {
  const std::vector<std::string>& a = s.args;
  POINT p = {-1, -1};
  if (a[0] == "outside") {
    p = {GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
  } else {
    HWND c = mApp->windows().control(a[0]);
    RECT r;
    GetWindowRect(c, &r);
    p = {(r.left + r.right) / 2, a[0] == "menubar" ? r.top + GetSystemMetrics(SM_CYCAPTION) +
                                                         GetSystemMetrics(SM_CYMENU) / 2 + 4
                                                   : (r.top + r.bottom) / 2};
    if (a.size() == 3) {
      p = {r.left + std::stoi(a[1]), r.top + std::stoi(a[2])};
      if (!PtInRect(&r, p)) {
        *error = "the offset " + a[1] + " " + a[2] + " lies outside the " + a[0] + " (" +
                 std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) + ")";
        return false;
      }
    }
  }
  SetCursorPos(p.x, p.y);
  POINT now;
  GetCursorPos(&now);
  HWND under = WindowFromPoint(now);
  char cls[256] = {};
  if (under) GetClassNameA(under, cls, sizeof cls);
  mApp->journal().write(
      JsonLine("pointer").str("control", a[0]).num("x", now.x).num("y", now.y).str("under", cls));
  return true;
}

bool ScenarioRunner::bringToForeground(const ScenarioStep& s, std::string* error) {
  const std::string& which = s.args[0];
  HostWindows& w = mApp->windows();
  HWND target = which == "main"      ? w.frame()
                : which == "dialog"  ? w.dialog()
                : which == "gallery" ? w.control("gallery")
                                     : nullptr;
  if (which == "other" && !mOther) {
    std::wstring cmd = L"\"" + toWide(mApp->exeDir() + "\\creo_host.exe") + L"\" --other-app";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      *error =
          "cannot start the other application, Windows error " + std::to_string(GetLastError());
      return false;
    }
    CloseHandle(pi.hThread);
    mOther = pi.hProcess;
  }
  // The window must really be in front before the scenario goes on.
  DWORD start = GetTickCount();
  while (true) {
    if (which == "other") target = otherWindow();
    if (target && GetForegroundWindow() == target) break;
    if (target) {
      SetForegroundWindow(target);
      if (which != "other") SetActiveWindow(target);
    }
    if (GetTickCount() - start > 15000) {
      *error = "the " + which + " window did not come to the foreground";
      return false;
    }
    pump(50);
  }
  char cls[256] = {};
  HWND fg = GetForegroundWindow();
  DWORD pid = 0;
  if (fg) {
    GetClassNameA(fg, cls, sizeof cls);
    GetWindowThreadProcessId(fg, &pid);
  }
  mApp->journal().write(JsonLine("foreground")
                            .str("target", which)
                            .str("class", cls)
                            .flag("own_process", pid == GetCurrentProcessId()));
  return true;
}

bool ScenarioRunner::menu(const ScenarioStep& s, std::string* error) {
  const std::vector<std::string>& a = s.args;
  int m = mApp->menus().findMenu(a[0]);
  if (m < 0) {
    *error = "no menu \"" + a[0] + "\"";
    return false;
  }
  if (s.verb == "menu-open") {
    mApp->windows().openMenu(m, "menu_open");
    return true;
  }
  int item = mApp->menus().findItem(m, a[1]);
  if (item < 0) {
    *error = "no item \"" + a[1] + "\" in menu \"" + a[0] + "\"";
    return false;
  }
  std::string why;
  if (!mApp->windows().clickItem(m, item, &why))
    mApp->journal().write(
        JsonLine("menu_click_refused").str("menu", a[0]).str("item", a[1]).str("why", why));
  return true;
}

bool ScenarioRunner::typeKeys(const ScenarioStep& s, std::string*) {
  HWND graphics = mApp->windows().graphics();
  for (char c : s.args[0]) {
    SHORT vk = VkKeyScanA(c);
    PostMessageA(graphics, WM_KEYDOWN, vk & 0xff, 1);
    PostMessageA(graphics, WM_CHAR, static_cast<unsigned char>(c), 1);
    PostMessageA(graphics, WM_KEYUP, vk & 0xff, 0xC0000001);
  }
  return true;
}

bool ScenarioRunner::popup(const ScenarioStep& s, std::string*) {
  if (s.args[0] == "open") {
    mApp->session().fire(PRO_POPUPMENU_CREATE_POST, "popup menu opened");
  } else {
    mApp->session().fire(PRO_POPUPMENU_DESTROY_PRE, "popup menu closing");
  }
  return true;
}

bool ScenarioRunner::runCommand(const ScenarioStep& s, std::string*) {
  mApp->macros().runCommand(s.args[0], s.args.size() > 1 ? s.args[1] : "", "user");
  mApp->windows().repaint();
  return true;
}

bool ScenarioRunner::userEdit(const ScenarioStep& s, std::string*) {
  mApp->macros().userEdit(s.args[0]);
  return true;
}

bool ScenarioRunner::navigate(const ScenarioStep& s, std::string*) {
  int axes[6];
  for (int i = 0; i < 6; ++i) axes[i] = std::stoi(s.args[i]);
  mApp->session().navigate(axes, "scenario");
  mApp->windows().repaint();
  return true;
}

bool ScenarioRunner::screenshot(const ScenarioStep& s, std::string* error) {
  const std::vector<std::string>& a = s.args;
  HostWindows& w = mApp->windows();
  pump(100);
  int width = 0, height = 0;
  if (a.size() == 2) {
    // The named menu open on the screen, as a click on the menu bar leaves it.
    int m = mApp->menus().findMenu(a[1]);
    if (m < 0) {
      *error = "no menu \"" + a[1] + "\"";
      return false;
    }
    if (!w.captureOpenMenu(m, a[0], &width, &height, error)) return false;
    mApp->journal().write(JsonLine("screenshot")
                              .str("file", a[0])
                              .str("menu", a[1])
                              .num("width", width)
                              .num("height", height));
    return true;
  }
  if (!ScreenCapture::capture(w.frame(), w.dialog(), a[0], &width, &height, error)) return false;
  mApp->journal().write(
      JsonLine("screenshot").str("file", a[0]).num("width", width).num("height", height));
  return true;
}

bool ScenarioRunner::scrollState(const ScenarioStep&, std::string*) {
  JsonLine state("scroll_state");
  for (const char* name : {"tree", "list", "listview", "edit", "treeview", "gxwnd", "drawarea",
                           "toolkit-list", "toolkit-tree", "browser", "decoy"}) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
    GetScrollInfo(mApp->windows().control(name), SB_VERT, &si);
    state.num(std::string(name) + "_pos", si.nPos).num(std::string(name) + "_max", si.nMax);
  }
  mApp->journal().write(state);
  return true;
}

bool ScenarioRunner::processCounts(const ScenarioStep&, std::string* error) {
  ProcessCounts counts;
  if (!currentProcessCounts(&counts, error)) return false;
  mApp->journal().write(JsonLine("process_counts")
                            .num("threads", counts.threads)
                            .num("handles", counts.handles)
                            .str("handle_source", counts.handleSource)
                            .str("handle_types", handleTypesText(counts.handleTypes)));
  return true;
}

bool ScenarioRunner::stopOrStartPlugin(const ScenarioStep& s, std::string* error) {
  bool ok = s.verb == "plugin-stop" ? mApp->loader().stop(s.args[0], error)
                                    : mApp->loader().startAgain(s.args[0], error);
  mApp->windows().repaint();
  return ok;
}

bool ScenarioRunner::daemonStart(const ScenarioStep& s, std::string* error) {
  if (!mApp->startDaemon(s.args, error)) return false;
  // A new daemon starts a new journal.
  mDaemonMark = 0;
  return true;
}

bool ScenarioRunner::daemonKill(const ScenarioStep&, std::string* error) {
  if (!mApp->daemon().kill(error)) return false;
  mApp->journal().write(JsonLine("daemon_kill"));
  return true;
}

bool ScenarioRunner::daemonCommand(const ScenarioStep& s, std::string* error) {
  std::string reply;
  bool ok = mApp->daemon().send(s.rest, 5000, &reply, error);
  mApp->journal().write(
      JsonLine("daemon_command").str("command", s.rest).str("reply", reply).flag("ok", ok));
  return ok;
}

bool ScenarioRunner::expectPlacement(const ScenarioStep& s, std::string* error) {
  std::string why;
  if (!measure(s, &why, error)) return false;
  if (!why.empty()) failed(s, why);
  return true;
}

bool ScenarioRunner::placeOrView(const ScenarioStep& s, std::string* error) {
  const std::vector<std::string>& a = s.args;
  const size_t first = s.verb == "view" ? 0 : 1;
  double axis[3];
  double length = 0;
  for (int i = 0; i < 3; ++i) {
    axis[i] = std::stod(a[first + i]);
    length += axis[i] * axis[i];
  }
  for (double& x : axis) x /= std::sqrt(length);
  double m[4][4];
  view_math::rotation(axis, std::stod(a[first + 3]) * std::acos(-1.0) / 180, m);
  if (s.verb == "view") {
    // The zoom lies in the matrix too: a real view is a rotation times a scale.
    const double scale = a.size() == 5 ? std::stod(a[4]) : 1.0;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) m[i][j] *= scale;
    if (!mApp->session().setCurrentView(m, error)) return false;
  } else {
    for (int i = 0; i < 3; ++i) m[3][i] = std::stod(a[5 + i]);
    if (!mApp->session().placeComponent(a[0], m, error)) return false;
  }
  mApp->windows().repaint();
  return true;
}

bool ScenarioRunner::measure(const ScenarioStep& s, std::string* why, std::string* error) {
  const std::vector<std::string>& a = s.args;
  HostSession& session = mApp->session();
  double first[4][4];
  if (!session.placementInAssembly(a[0], first, error)) return false;
  if (s.verb == "expect-distance") {
    double second[4][4];
    if (!session.placementInAssembly(a[1], second, error)) return false;
    double sum = 0;
    for (int i = 0; i < 3; ++i) sum += (first[3][i] - second[3][i]) * (first[3][i] - second[3][i]);
    const double distance = std::sqrt(sum);
    char text[160];
    std::snprintf(text, sizeof text, "%.17g", distance);
    mApp->journal().write(
        JsonLine("distance").str("from", a[0]).str("to", a[1]).str("distance", text));
    if (std::fabs(distance - std::stod(a[2])) > std::stod(a[3])) {
      *why = "expect-distance " + a[0] + " " + a[1] + ": " + text + " instead of " + a[2] +
             " within " + a[3];
    }
    return true;
  }
  // The placement must not change at all while the host runs for that long.
  pump(s.limitMs);
  double later[4][4];
  if (!session.placementInAssembly(a[0], later, error)) return false;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (later[r][c] != first[r][c]) {
        *why = "expect-still " + a[0] + ": entry " + std::to_string(r) + "," + std::to_string(c) +
               " moved within " + a[1] + " ms";
        return true;
      }
  return true;
}
