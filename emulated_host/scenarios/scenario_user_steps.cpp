// The scenario steps of a user and of the world around the host: the pointer, the foreground,
// menus and keys, screenshots, the plug-in's start and stop, and the simulated daemon.
#include "scenarios/scenario_runner.h"

#include "app/host_app.h"
#include "app/plugin_loader.h"
#include "journal/process_counts.h"
#include "json_line.h"
#include "scenarios/daemon_link.h"
#include "windows/host_windows.h"
#include "windows/screen_capture.h"

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
