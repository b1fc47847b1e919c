// The scenario runner: the message pump, the run through the steps with the table of their
// handlers, the checks of the journals and the waits. The steps themselves are in
// scenario_model_steps.cpp and scenario_user_steps.cpp.
#include "scenarios/scenario_runner.h"

#include <fstream>

#include "app/host_app.h"
#include "json_line.h"
#include "scenarios/daemon_link.h"

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
