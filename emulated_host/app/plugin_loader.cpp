#include "app/plugin_loader.h"

#include "app/host_app.h"
#include "app/leftovers.h"
#include "app/slow_resources.h"
#include "json_line.h"
#include "windows/window_watch.h"

namespace {

typedef int (*InitFn)(int, char**, char*, char*, wchar_t*);
typedef void (*TermFn)(void);

std::string windowsError(DWORD code) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = text ? text : "unknown error";
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

}  // namespace

bool PluginLoader::start(const RegistryEntry& entry, std::string* error) {
  HostJournal& j = mApp->journal();
  HMODULE module = LoadLibraryW(toWide(entry.execFile).c_str());
  if (!module) {
    DWORD code = GetLastError();
    *error = "cannot load '" + entry.execFile + "': Windows error " + std::to_string(code) + ": " +
             windowsError(code);
    j.write(JsonLine("plugin_load_failed")
                .str("name", entry.name)
                .str("file", entry.execFile)
                .num("error_code", code)
                .str("error", windowsError(code)));
    return false;
  }
  InitFn init =
      reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(module, "user_initialize")));
  if (!init) {
    *error = "'" + entry.execFile + "' does not export user_initialize";
    j.write(JsonLine("plugin_load_failed")
                .str("name", entry.name)
                .str("file", entry.execFile)
                .str("error", "no user_initialize"));
    FreeLibrary(module);
    return false;
  }
  j.write(JsonLine("plugin_loaded").str("name", entry.name).str("file", entry.execFile));
  Leftovers::watch(module);
  if (mApp->options().slowResourcesUs > 0) {
    j.write(JsonLine("slow_resources")
                .str("name", entry.name)
                .num("us_per_load", mApp->options().slowResourcesUs)
                .num("patched", SlowResources::patch(module, mApp->options().slowResourcesUs)));
  }
  mApp->setTextDir(entry.textDir);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  char version[] = "11.0.0.0";
  char build[] = "2024070";
  char* argv[] = {exe, nullptr};
  wchar_t errBuff[80] = {};
  int result = init(1, argv, version, build, errBuff);
  if (result != 0) {
    errBuff[79] = 0;
    std::string text = toUtf8(errBuff);
    *error = "user_initialize of '" + entry.name + "' returned " + std::to_string(result) +
             (text.empty() ? "" : ": " + text);
    j.write(JsonLine("plugin_start_failed")
                .str("name", entry.name)
                .num("result", result)
                .str("error_text", text));
    FreeLibrary(module);
    return false;
  }
  j.write(JsonLine("plugin_started").str("name", entry.name).num("result", result));
  mLoaded.push_back({entry, module});
  std::string& apps = mApp->runningApps();
  apps += (apps.empty() ? "" : ", ") + entry.name;
  return true;
}

void PluginLoader::stopAll() {
  while (!mLoaded.empty()) {
    Loaded l = mLoaded.back();
    mLoaded.pop_back();
    stopOne(l);
  }
}

bool PluginLoader::stop(const std::string& name, std::string* error) {
  for (size_t i = 0; i < mLoaded.size(); ++i) {
    if (mLoaded[i].entry.name != name) continue;
    if (!mLoaded[i].entry.allowStop) {
      *error = "application " + name + " may not be stopped (allow_stop is not TRUE)";
      return false;
    }
    Loaded l = mLoaded[i];
    mLoaded.erase(mLoaded.begin() + i);
    stopOne(l);
    return true;
  }
  *error = "application " + name + " is not running";
  return false;
}

bool PluginLoader::startAgain(const std::string& name, std::string* error) {
  for (const Loaded& l : mLoaded)
    if (l.entry.name == name) {
      *error = "application " + name + " is already running";
      return false;
    }
  for (const RegistryEntry& e : mEntries)
    if (e.name == name) return start(e, error);
  *error = "no application " + name + " in the registry file";
  return false;
}

void PluginLoader::stopOne(const Loaded& l) {
  TermFn term =
      reinterpret_cast<TermFn>(reinterpret_cast<void*>(GetProcAddress(l.module, "user_terminate")));
  if (term) term();
  mApp->journal().write(JsonLine("plugin_stopped")
                            .str("name", l.entry.name)
                            .flag("terminate_called", term != nullptr));
  auto inModule = [&](const void* p) {
    MEMORY_BASIC_INFORMATION mbi = {};
    return p && VirtualQuery(p, &mbi, sizeof mbi) &&
           mbi.AllocationBase == reinterpret_cast<void*>(l.module);
  };
  // A notification whose callback lives in the DLL about to be freed would call into nothing
  // the next time it fires.
  std::vector<int> left;
  for (const auto& kv : mApp->session().notifications())
    if (inModule(reinterpret_cast<const void*>(kv.second))) left.push_back(kv.first);
  for (int type : left) {
    mApp->journal().write(JsonLine("fault")
                              .str("what", "notification_left_set")
                              .str("name", l.entry.name)
                              .num("type", type));
    mApp->session().notificationUnset(type);
  }
  // A class or timer whose procedure lies in the DLL would call into nothing once it is freed.
  for (const std::string& name : Leftovers::classesIn(inModule)) {
    mApp->journal().write(JsonLine("fault")
                              .str("what", "class_left_registered")
                              .str("name", l.entry.name)
                              .str("class", name));
  }
  const int timers = Leftovers::killTimersIn(inModule);
  if (timers > 0) {
    mApp->journal().write(JsonLine("fault")
                              .str("what", "timer_left_set")
                              .str("name", l.entry.name)
                              .num("count", timers));
  }
  // The application's commands stay registered but leave the menus until it registers them again.
  int detached = mApp->commands().detach(inModule);
  if (detached > 0) {
    mApp->journal().write(
        JsonLine("commands_detached").str("name", l.entry.name).num("count", detached));
  }
  // A window whose procedure lies in the DLL would call into nothing once it is freed.
  if (mApp->watch()) mApp->watch()->countWindowsIn(inModule);
  FreeLibrary(l.module);
  std::string apps;
  for (const Loaded& running : mLoaded) apps += (apps.empty() ? "" : ", ") + running.entry.name;
  mApp->runningApps() = apps;
}
