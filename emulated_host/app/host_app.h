// The emulated host process: owns the session, the registered commands, the menu bar, the macro
// engine, the journal and the windows, and runs the message loop on the user-interface thread.
#ifndef KX_EMULATED_HOST_HOST_APP_H
#define KX_EMULATED_HOST_HOST_APP_H

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "api/command_registry.h"
#include "api/host_session.h"
#include "api/macro_engine.h"
#include "api/menu_bar.h"
#include "journal/host_journal.h"

class HostWindows;
class RegistryFile;
class Scenario;
class PluginLoader;
class NavListener;
class DaemonLink;
class WindowWatch;

// Messages the host posts to its own main frame.
constexpr UINT WM_KXH_RUN_MACROS = WM_APP + 1;
constexpr UINT WM_KXH_NAV = WM_APP + 2;
// Timer on the main frame that applies navigation datagrams left over from a batch.
constexpr UINT_PTR kNavDrainTimerId = 77;
constexpr UINT WM_KXH_START = WM_APP + 3;

struct HostOptions {
  std::string registry;
  std::string journal;
  std::string scenario;
  std::string language = "usascii";
  std::string screenshot;
  std::string commands;
  bool stayOpen = false;
  int maxMs = 600000;
  // A screenshot of the first window of another thread whose bar is half full.
  std::string windowShot;
  // Extra time each resource load of an application takes (a slow installation).
  int slowResourcesUs = 0;
  // A daemon running before any application starts, with this configuration file.
  std::string daemonConfig;
  // While a window of this class of another thread is shown, the daemon's button is pressed once
  // (from the window watch, so also while the user-interface thread is blocked).
  std::string pressClass;
  int pressButton = 0;
  // The applications start before the host's windows exist, as a host may start them.
  bool startBeforeWindows = false;
  // ProConfigoptSet refuses this option.
  std::string refusedConfigOption;
};

class HostApp {
 public:
  HostApp();
  ~HostApp();

  // The running host, or null outside one.
  static HostApp* instance();
  // The API layer's guard: false (and a fault) when called off the user-interface thread.
  static bool onUiThread(const char* function);

  int run(const HostOptions& options);
  // Starts the daemon of --daemon-config, then every application of the registry file: 3 when the
  // daemon could not start, 4 when an application could not, else 0.
  int startApplications(const RegistryFile& registry);
  // One message of the host's message loop.
  static void dispatch(const MSG& msg);
  // Milliseconds since the message the user-interface thread is handling began, -1 when it is
  // not handling one; and since the last message that blocked it (ui_blocked) was done, -1
  // while a message has been holding it that long or when none blocked it yet.
  static long long uiBusyMs();
  static long long sinceBlockedMs();
  // A single message that keeps the user-interface thread this long is journaled (ui_blocked).
  static constexpr int kBlockedMs = 500;

  HostJournal& journal() { return mJournal; }
  HostSession& session() { return mSession; }
  CommandRegistry& commands() { return mCommands; }
  MenuBar& menus() { return mMenus; }
  MacroEngine& macros() { return mMacros; }
  HostWindows& windows() { return *mWindows; }
  DaemonLink& daemon() { return *mDaemon; }
  PluginLoader& loader() { return *mLoader; }
  WindowWatch* watch() { return mWatch.get(); }
  const HostOptions& options() const { return mOptions; }

  // Spawns the simulated daemon with these arguments; its journal lies beside the host's unless
  // the arguments name one. Journaled as daemon_start.
  bool startDaemon(const std::vector<std::string>& args, std::string* error);

  // After ProMacroLoad: the queue runs once control is back in the message loop.
  void scheduleMacros();
  void runMacros();
  // Applies the navigation datagrams received so far (user-interface thread).
  void applyNavigation();
  // Opens a model like the user would, with the notifications the host fires.
  bool openModel(const std::string& type, const std::string& name, bool created,
                 std::string* error);
  bool activateWindow(int id, std::string* error);
  void setTextDir(const std::string& textDir) { mTextDir = textDir; }
  // Names of the running applications, shown in the graphics window's status line.
  std::string& runningApps() { return mRunningApps; }
  // A label key looked up in the message file of the application being served.
  std::string resolveLabel(const wchar_t* msgFile, const std::string& key);
  void requestQuit(int exitCode);
  DWORD uiThread() const { return mUiThread; }
  std::string exeDir() const;

 private:
  bool loadInputs(RegistryFile& registry, Scenario& scenario, std::string* error);
  bool createHostSide(std::string* error);
  int runSession(Scenario& scenario, int result);
  void takeScreenshot();
  int finish(int result);

  HostOptions mOptions;
  HostJournal mJournal;
  HostSession mSession;
  CommandRegistry mCommands;
  MenuBar mMenus;
  MacroEngine mMacros;
  std::unique_ptr<HostWindows> mWindows;
  std::unique_ptr<PluginLoader> mLoader;
  std::unique_ptr<NavListener> mNav;
  std::unique_ptr<DaemonLink> mDaemon;
  std::unique_ptr<WindowWatch> mWatch;
  DWORD mUiThread = 0;
  bool mMacrosPosted = false;
  std::string mTextDir;
  std::string mRunningApps;
  std::map<std::string, long> mApiCalls;
  int mExitCode = 0;
};

std::string toUtf8(const std::wstring& w);
std::wstring toWide(const std::string& s);

#endif
