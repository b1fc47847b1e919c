// The plug-in DLL loaded and unloaded through its two entry points, as the host does it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_profile.h"

namespace {

using InitializeFn = int (*)(int, char**, char*, char*, wchar_t*);
using TerminateFn = void (*)();

std::string binFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string pluginPath() { return binFolder() + "KorvexCreo.dll"; }

std::string modulePath(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  return std::string(path, length);
}

// The message-only windows of this class in this process: other test processes on the same desktop
// may run a plug-in of their own.
std::vector<HWND> ownMessageWindows(const wchar_t* cls) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, cls, nullptr); w;
       w = FindWindowExW(HWND_MESSAGE, w, cls, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) found.push_back(w);
  }
  return found;
}

struct Plugin {
  HMODULE mModule = nullptr;
  InitializeFn mInitialize = nullptr;
  TerminateFn mTerminate = nullptr;
};

Plugin load() {
  Plugin plugin;
  plugin.mModule = LoadLibraryA(pluginPath().c_str());
  if (!plugin.mModule) return plugin;
  plugin.mInitialize = reinterpret_cast<InitializeFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin.mModule, "user_initialize")));
  plugin.mTerminate = reinterpret_cast<TerminateFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin.mModule, "user_terminate")));
  return plugin;
}

int initialize(const Plugin& plugin) {
  char program[] = "plugin_dll_tests";
  char* arguments[] = {program, nullptr};
  char version[] = "test";
  char build[] = "0";
  wchar_t errorText[80] = L"";
  return plugin.mInitialize(1, arguments, version, build, errorText);
}

// Twice in one process: the DLL exports only its two entry points, undecorated; the settings land
// in the test's own profile; the controller library is the copy beside the plug-in, loaded at start
// and given back at stop; the timer's wake-up window (message-only, of the starting thread) and its
// class live from the start to the stop; and FreeLibrary unloads the plug-in. In the second round a
// stop comes before the start and twice after it, and the plug-in starts again after the double
// stop.
TEST(PluginDllTest, LibraryBesideThePluginIsLoadedAtStartAndReleasedAtStop) {
  const wchar_t kWakeClass[] = L"KorvexPumpWake";
  const std::string settings = testProfile() + "\\Korvexpad\\Applications\\Creo_plugin.ini";
  std::filesystem::remove(settings);
  for (int round = 0; round < 2; ++round) {
    Plugin plugin = load();
    ASSERT_NE(plugin.mModule, nullptr) << "round " << round << ": error " << GetLastError();
    ASSERT_NE(plugin.mInitialize, nullptr) << "round " << round;
    ASSERT_NE(plugin.mTerminate, nullptr) << "round " << round;
    EXPECT_EQ(GetProcAddress(plugin.mModule, "kxAddinStart"), nullptr) << "round " << round;
    EXPECT_EQ(GetProcAddress(plugin.mModule, "_user_initialize"), nullptr) << "round " << round;
    if (round == 1) plugin.mTerminate();
    ASSERT_EQ(initialize(plugin), 0) << "round " << round;
    const std::vector<HWND> wakeWindows = ownMessageWindows(kWakeClass);
    ASSERT_EQ(wakeWindows.size(), 1u) << "round " << round << ": wake-up windows after the start";
    const HWND wakeWindow = wakeWindows[0];
    EXPECT_EQ(GetWindowThreadProcessId(wakeWindow, nullptr), GetCurrentThreadId()) << round;
    const HMODULE library = GetModuleHandleA("kvx_ctrlr_64.dll");
    ASSERT_NE(library, nullptr) << "round " << round << ": the controller library was not loaded";
    EXPECT_EQ(modulePath(library), binFolder() + "kvx_ctrlr_64.dll") << "round " << round;
    plugin.mTerminate();
    EXPECT_FALSE(IsWindow(wakeWindow)) << "round " << round << ": the window outlived the stop";
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(GetClassInfoExW(plugin.mModule, kWakeClass, &info))
        << "round " << round << ": the window class outlived the stop";
    EXPECT_EQ(GetModuleHandleA("kvx_ctrlr_64.dll"), nullptr)
        << "round " << round << ": the controller library stayed loaded after the stop";
    if (round == 1) {
      plugin.mTerminate();
      EXPECT_EQ(initialize(plugin), 0) << "the plug-in must start again after a double stop";
      plugin.mTerminate();
    }
    ASSERT_TRUE(FreeLibrary(plugin.mModule)) << "round " << round;
    EXPECT_EQ(GetModuleHandleA("KorvexCreo.dll"), nullptr)
        << "round " << round << ": the DLL is still loaded";
    EXPECT_TRUE(std::filesystem::exists(settings)) << "round " << round << ": " << settings;
  }
}

}  // namespace
