#include "app/host_app.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "api/host_commands.h"
#include "api/message_file.h"
#include "app/nav_listener.h"
#include "app/plugin_loader.h"
#include "app/registry_file.h"
#include "scenarios/daemon_link.h"
#include "scenarios/scenario.h"
#include "scenarios/scenario_runner.h"
#include "windows/host_windows.h"
#include "windows/screen_capture.h"
#include "windows/scroll_spy.h"
#include "windows/window_watch.h"

namespace {
HostApp* sApp = nullptr;
// Read by the window watch's thread while the user-interface thread dispatches.
std::atomic<int> sDispatchDepth{0};
std::atomic<ULONGLONG> sDispatchStart{0};
std::atomic<ULONGLONG> sBlockedEnd{0};
}  // namespace

std::string toUtf8(const std::wstring& w) {
  if (w.empty()) return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
  s.resize(n - 1);
  return s;
}

std::wstring toWide(const std::string& s) {
  if (s.empty()) return L"";
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
  w.resize(n - 1);
  return w;
}

HostApp::HostApp()
    : mSession(&mJournal),
      mCommands(&mJournal),
      mMenus(&mJournal),
      mMacros(&mJournal, &mCommands),
      mDaemon(new DaemonLink) {}

HostApp::~HostApp() {
  if (sApp == this) sApp = nullptr;
}

HostApp* HostApp::instance() { return sApp; }

bool HostApp::onUiThread(const char* function) {
  HostApp* app = sApp;
  if (!app) return false;
  DWORD me = GetCurrentThreadId();
  if (me == app->mUiThread) {
    ++app->mApiCalls[function];
    return true;
  }
  app->mJournal.write(JsonLine("fault")
                          .str("what", "foreign_thread")
                          .str("function", function)
                          .num("thread", me)
                          .num("ui_thread", app->mUiThread));
  return false;
}

std::string HostApp::exeDir() const {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  size_t slash = p.find_last_of(L"\\/");
  return toUtf8(slash == std::wstring::npos ? L"." : p.substr(0, slash));
}

void HostApp::dispatch(const MSG& msg) {
  // The graphics window reads raw key messages; translating them would type every key twice.
  HostApp* app = sApp;
  if (!app || !app->mWindows || msg.hwnd != app->mWindows->graphics()) TranslateMessage(&msg);
  const bool outermost = sDispatchDepth++ == 0;
  if (outermost) sDispatchStart = GetTickCount64();
  // The scroll journal tells posted messages from sent ones by it.
  const MSG* outer = scroll_spy::dispatched();
  scroll_spy::setDispatched(&msg);
  DispatchMessageW(&msg);
  scroll_spy::setDispatched(outer);
  if (!outermost) {
    --sDispatchDepth;
    return;
  }
  const ULONGLONG end = GetTickCount64();
  const ULONGLONG took = end - sDispatchStart;
  if (took >= static_cast<ULONGLONG>(kBlockedMs)) {
    sBlockedEnd = end;
    if (app) app->mJournal.write(JsonLine("ui_blocked").num("ms", took).num("msg", msg.message));
  }
  --sDispatchDepth;
}

long long HostApp::uiBusyMs() {
  if (sDispatchDepth == 0) return -1;
  return static_cast<long long>(GetTickCount64() - sDispatchStart);
}

long long HostApp::sinceBlockedMs() {
  // The thread may well be in its next short message already when a watcher asks; only one that
  // is itself blocking makes the last end meaningless.
  if (sBlockedEnd == 0 || uiBusyMs() >= kBlockedMs) return -1;
  return static_cast<long long>(GetTickCount64() - sBlockedEnd);
}

bool HostApp::startDaemon(const std::vector<std::string>& a, std::string* error) {
  std::string jp = mOptions.journal;
  size_t dot = jp.rfind(".jsonl");
  jp = jp.empty() ? "creo_host-daemon.jsonl"
                  : (dot != std::string::npos ? jp.substr(0, dot) : jp) + "-daemon.jsonl";
  // A journal the arguments name wins; the daemon would take the last --journal anyway, and the
  // expectations must read the file it writes.
  std::vector<std::string> args;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--journal" && i + 1 < a.size()) {
      jp = a[++i];
    } else {
      args.push_back(a[i]);
    }
  }
  wchar_t full[MAX_PATH] = {};
  if (GetFullPathNameW(toWide(jp).c_str(), MAX_PATH, full, nullptr)) jp = toUtf8(full);
  // The old journal goes first, so no wait-until can read it while the new daemon starts.
  DeleteFileW(toWide(jp).c_str());
  if (!mDaemon->spawn(exeDir() + "\\kx_daemon.exe", args, jp, error)) return false;
  mJournal.write(JsonLine("daemon_start").str("journal", jp));
  return true;
}

void HostApp::scheduleMacros() {
  if (mMacrosPosted || !mWindows || !mWindows->frame()) return;
  mMacrosPosted = PostMessageW(mWindows->frame(), WM_KXH_RUN_MACROS, 0, 0) != 0;
}

void HostApp::applyNavigation() {
  if (!mNav || !mWindows) return;
  for (const std::array<int, 6>& axes : mNav->take()) mSession.navigate(axes.data(), "udp");
  mWindows->repaint();
  // Datagrams that came during this batch are picked up by a timer, not a posted message, so a
  // steady stream cannot keep every other timer of this thread from firing.
  if (mNav->endBatch()) SetTimer(mWindows->frame(), kNavDrainTimerId, 1, nullptr);
}

void HostApp::runMacros() {
  mMacrosPosted = false;
  mMacros.runQueued();
  mWindows->repaint();
}

bool HostApp::openModel(const std::string& type, const std::string& name, bool created,
                        std::string* error) {
  if (mSession.openModel(type, name, created, error) < 0) return false;
  mWindows->repaint();
  mSession.fire(created ? PRO_MDL_CREATE_POST : PRO_MDL_RETRIEVE_POST,
                created ? "model created" : "model retrieved");
  mSession.fire(PRO_WINDOW_CHANGE_POST, "new window");
  mCommands.updateAll("ui_update");
  return true;
}

bool HostApp::activateWindow(int id, std::string* error) {
  int before = mSession.currentWindowId();
  if (!mSession.activateWindow(id, error)) return false;
  mWindows->repaint();
  if (before != id) mSession.fire(PRO_WINDOW_CHANGE_POST, "window activated");
  mCommands.updateAll("ui_update");
  return true;
}

std::string HostApp::resolveLabel(const wchar_t* msgFile, const std::string& key) {
  if (!msgFile || !*msgFile) return key;
  std::string file = toUtf8(msgFile);
  for (const std::string& path : MessageFile::candidates(mTextDir, mOptions.language, file)) {
    MessageFile mf;
    std::string ignored;
    if (!mf.load(path, &ignored)) continue;
    std::string text;
    bool found = mf.lookup(key, mOptions.language != "usascii", &text);
    mJournal.write(JsonLine("label")
                       .str("key", key)
                       .str("text", found ? text : key)
                       .str("file", path)
                       .str("source", found ? "message_file" : "missing_key"));
    return found && !text.empty() ? text : key;
  }
  mJournal.write(JsonLine("label")
                     .str("key", key)
                     .str("text", key)
                     .str("file", file)
                     .str("source", "missing_file")
                     .str("text_dir", mTextDir));
  return key;
}

void HostApp::requestQuit(int exitCode) {
  if (exitCode > mExitCode) mExitCode = exitCode;
  PostQuitMessage(mExitCode);
}

int HostApp::startApplications(const RegistryFile& registry) {
  std::string error;
  // A user's daemon already runs when the host starts its applications.
  if (!mOptions.daemonConfig.empty() && !startDaemon({"--config", mOptions.daemonConfig}, &error)) {
    fprintf(stderr, "creo_host: %s\n", error.c_str());
    return 3;
  }
  mLoader.reset(new PluginLoader(this));
  mLoader->setEntries(registry.entries());
  int result = 0;
  for (const RegistryEntry& e : registry.entries()) {
    if (!mLoader->start(e, &error)) {
      fprintf(stderr, "creo_host: %s\n", error.c_str());
      result = 4;
    }
  }
  return result;
}

// Everything the user gave is checked before any window or plug-in exists.
bool HostApp::loadInputs(RegistryFile& registry, Scenario& scenario, std::string* error) {
  // Each input with the journal entry its refusal writes.
  const std::pair<const char*, std::function<bool()>> inputs[] = {
      {"registry_error",
       [&] { return mOptions.registry.empty() || registry.load(mOptions.registry, error); }},
      {"commands_error",
       [&] { return mOptions.commands.empty() || HostCommands::load(mOptions.commands, error); }},
      {"scenario_error",
       [&] { return mOptions.scenario.empty() || scenario.load(mOptions.scenario, error); }},
  };
  for (const auto& [entry, load] : inputs) {
    if (load()) continue;
    mJournal.write(JsonLine(entry).str("error", *error));
    return false;
  }
  return true;
}

bool HostApp::createHostSide(std::string* error) {
  if (!mWindows->create(error)) return false;
  mWatch.reset(new WindowWatch(this, mOptions.windowShot));
  if (!mWatch->start(error)) return false;
  const char* navEnv = std::getenv("KX_HOST_NAV_PORT");
  const int navPort = navEnv && std::atoi(navEnv) > 0 ? std::atoi(navEnv) : 47011;
  mNav.reset(new NavListener(&mJournal, mWindows->frame()));
  std::string navError;
  if (!mNav->start(navPort, &navError))
    mJournal.write(JsonLine("nav_unavailable").num("port", navPort).str("error", navError));
  else
    mJournal.write(JsonLine("nav_listen").num("port", navPort));
  return true;
}

// Runs the scenario, or the message loop until the time limit; the exit code so far.
int HostApp::runSession(Scenario& scenario, int result) {
  ScenarioRunner::pump(50);
  const DWORD started = GetTickCount();
  if (result == 0 && !mOptions.scenario.empty()) {
    ScenarioRunner runner(this, scenario);
    std::string error;
    const int failed = runner.run(&error);
    if (failed < 0) {
      fprintf(stderr, "creo_host: %s\n", error.c_str());
      result = 3;
    } else if (failed > 0) {
      result = 1;
    }
  } else if (result == 0 || mOptions.stayOpen) {
    // The tick wakes the loop so the time limit is seen even when nothing happens.
    SetTimer(mWindows->frame(), 1, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      dispatch(msg);
      if (static_cast<int>(GetTickCount() - started) > mOptions.maxMs) break;
    }
  }
  if (mOptions.stayOpen && !mOptions.scenario.empty()) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
  }
  return result;
}

void HostApp::takeScreenshot() {
  int w = 0, h = 0;
  std::string error;
  ScenarioRunner::pump(100);
  if (ScreenCapture::capture(mWindows->frame(), mWindows->dialog(), mOptions.screenshot, &w, &h,
                             &error))
    mJournal.write(
        JsonLine("screenshot").str("file", mOptions.screenshot).num("width", w).num("height", h));
  else
    fprintf(stderr, "creo_host: %s\n", error.c_str());
}

int HostApp::finish(int result) {
  mLoader->stopAll();
  mWatch->stop();
  mNav->stop();
  // Macros queued by the plug-in's last callbacks still run, as the host would.
  mMacros.runQueued();
  JsonLine calls("api_calls");
  for (const auto& kv : mApiCalls) calls.num(kv.first, kv.second);
  mJournal.write(calls);
  const int faults = mJournal.faultCount();
  if (result == 0 && faults > 0) result = 2;
  mJournal.write(JsonLine("host_exit")
                     .num("exit_code", result)
                     .num("faults", faults)
                     .num("unfreed_arrays", mSession.unfreedArrays())
                     .num("folded_selection_gets", mSession.foldedSelectionGets()));
  return result;
}

int HostApp::run(const HostOptions& options) {
  mOptions = options;
  sApp = this;
  mUiThread = GetCurrentThreadId();
  std::string error;
  if (!mJournal.open(options.journal, &error)) {
    fprintf(stderr, "creo_host: %s\n", error.c_str());
    return 3;
  }
  mJournal.write(JsonLine("host_start")
                     .str("language", options.language)
                     .str("registry", options.registry)
                     .str("scenario", options.scenario)
                     .num("ui_thread", mUiThread));
  RegistryFile registry;
  Scenario scenario;
  if (!loadInputs(registry, scenario, &error)) {
    fprintf(stderr, "creo_host: %s\n", error.c_str());
    return 3;
  }
  if (!options.refusedConfigOption.empty()) mMacros.refuseOption(options.refusedConfigOption);
  mWindows.reset(new HostWindows(this));
  int result = options.startBeforeWindows ? startApplications(registry) : 0;
  if (result == 3) return 3;
  if (!createHostSide(&error)) {
    fprintf(stderr, "creo_host: %s\n", error.c_str());
    return 3;
  }
  if (!options.startBeforeWindows) result = startApplications(registry);
  if (result == 3) return 3;
  result = runSession(scenario, result);
  if (!options.screenshot.empty()) takeScreenshot();
  return finish(result);
}
