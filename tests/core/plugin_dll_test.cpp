// The plug-in DLL loaded and unloaded through its two entry points, as the host does it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "app/slow_resources.h"
#include "environment.h"
#include "own_window.h"
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
// and given back at stop; and FreeLibrary unloads the plug-in. In the second round a stop comes
// before the start and twice after it, and the plug-in starts again after the double stop. A
// wake-up window or class left behind at a stop is a fault of the emulated host in every scenario.
TEST(PluginDllTest, LibraryBesideThePluginIsLoadedAtStartAndReleasedAtStop) {
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
    const HMODULE library = GetModuleHandleA("kvx_ctrlr_64.dll");
    ASSERT_NE(library, nullptr) << "round " << round << ": the controller library was not loaded";
    EXPECT_EQ(modulePath(library), binFolder() + "kvx_ctrlr_64.dll") << "round " << round;
    plugin.mTerminate();
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

// Runs this thread's messages (the plug-in's timer) until the condition holds or the limit passes.
template <typename Condition>
bool pumpUntil(Condition condition, int limitMs) {
  for (int waited = 0; waited < limitMs; waited += 10) {
    if (condition()) return true;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  return condition();
}

// A first start whose progress window cannot register its class (this process holds the name): the
// window thread sits in its failure message box while the plug-in stops and the host frees the DLL.
// The thread's own hold keeps the DLL mapped until the box is closed and the thread is gone; then
// the DLL goes, nothing of it runs any more, and the plug-in starts again.
TEST(PluginDllTest, AWindowThreadInItsFailureOutlivesTheStopAndTheUnload) {
  const std::string menuFile = testProfile() + "\\Korvexpad\\Applications\\Creo.mnu";
  std::filesystem::remove(menuFile);
  kxtest::setEnv("PRO_LANG", "english");  // a language the installation has
  WNDCLASSEXA taken = {};
  taken.cbSize = sizeof(taken);
  taken.lpfnWndProc = DefWindowProcA;
  taken.hInstance = GetModuleHandleA(nullptr);
  taken.lpszClassName = "MNUDlgClass";
  ASSERT_TRUE(RegisterClassExA(&taken));
  // The timer's owner; a slow installation makes the build last until the window thread is up.
  const HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  Plugin plugin = load();
  ASSERT_NE(plugin.mModule, nullptr);
  ASSERT_GT(SlowResources::patch(plugin.mModule, 500), 0);
  ASSERT_EQ(initialize(plugin), 0);
  HWND box = nullptr;
  EXPECT_TRUE(
      pumpUntil([&box] { return (box = findOwnWindow("#32770", "Error!")) != nullptr; }, 60000))
      << "no failure message box";
  EXPECT_TRUE(pumpUntil([&menuFile] { return std::filesystem::exists(menuFile); }, 60000))
      << "the catalogue build did not end";
  char text[128] = "";
  if (box) GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
  EXPECT_STREQ(text, "Window Registration Failed!");
  EXPECT_EQ(findOwnWindow("MNUDlgClass", "Korvex"), nullptr) << "a window of the taken class";
  plugin.mTerminate();
  ASSERT_TRUE(FreeLibrary(plugin.mModule));
  EXPECT_NE(GetModuleHandleA("KorvexCreo.dll"), nullptr)
      << "the DLL was unloaded under the window thread";
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(pumpUntil([] { return GetModuleHandleA("KorvexCreo.dll") == nullptr; }, 20000))
      << "the window thread kept the DLL after its end";
  DestroyWindow(host);
  UnregisterClassA("MNUDlgClass", GetModuleHandleA(nullptr));

  Plugin again = load();
  ASSERT_NE(again.mModule, nullptr);
  EXPECT_EQ(initialize(again), 0);
  again.mTerminate();
  EXPECT_TRUE(FreeLibrary(again.mModule));
  EXPECT_EQ(GetModuleHandleA("KorvexCreo.dll"), nullptr);
  std::filesystem::remove(menuFile);
  kxtest::setEnv("PRO_LANG", nullptr);
}

}  // namespace
