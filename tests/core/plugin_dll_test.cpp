// The plug-in DLL loaded and unloaded through its two entry points, as the host does it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

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

DWORD handleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
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

TEST(PluginDllTest, ExportsOnlyTheEntryPointsUndecorated) {
  Plugin plugin = load();
  ASSERT_NE(plugin.mModule, nullptr) << pluginPath() << ": error " << GetLastError();
  EXPECT_NE(plugin.mInitialize, nullptr);
  EXPECT_NE(plugin.mTerminate, nullptr);
  EXPECT_EQ(GetProcAddress(plugin.mModule, "kxAddinStart"), nullptr);
  EXPECT_EQ(GetProcAddress(plugin.mModule, "_user_initialize"), nullptr);
  FreeLibrary(plugin.mModule);
}

TEST(PluginDllTest, StartsAndStopsTwiceInOneProcess) {
  for (int round = 0; round < 2; ++round) {
    Plugin plugin = load();
    ASSERT_NE(plugin.mModule, nullptr) << "round " << round << ": error " << GetLastError();
    ASSERT_NE(plugin.mInitialize, nullptr) << "round " << round;
    EXPECT_EQ(initialize(plugin), 0) << "round " << round;
    plugin.mTerminate();
    ASSERT_TRUE(FreeLibrary(plugin.mModule)) << "round " << round;
    EXPECT_EQ(GetModuleHandleA("KorvexCreo.dll"), nullptr)
        << "round " << round << ": the DLL is still loaded";
  }
}

TEST(PluginDllTest, TerminationWithoutStartAndTwiceIsHarmless) {
  Plugin plugin = load();
  ASSERT_NE(plugin.mModule, nullptr) << "error " << GetLastError();
  plugin.mTerminate();
  EXPECT_EQ(initialize(plugin), 0);
  plugin.mTerminate();
  plugin.mTerminate();
  EXPECT_EQ(initialize(plugin), 0) << "the plug-in must start again after a double stop";
  plugin.mTerminate();
  EXPECT_TRUE(FreeLibrary(plugin.mModule));
}

// The settings land in the test's own profile, the controller library is the copy beside the
// plug-in, and a stop gives back the library and every thread record.
TEST(PluginDllTest, StartAndStopLeaveNothingBehind) {
  const std::string settings = testProfile() + "\\Korvexpad\\Applications\\Creo_plugin.ini";
  std::filesystem::remove(settings);
  DWORD handlesAfterFirstRound = 0;
  for (int round = 0; round < 4; ++round) {
    Plugin plugin = load();
    ASSERT_NE(plugin.mInitialize, nullptr) << "round " << round;
    ASSERT_EQ(initialize(plugin), 0) << "round " << round;
    const HMODULE library = GetModuleHandleA("kvx_ctrlr_64.dll");
    ASSERT_NE(library, nullptr) << "round " << round << ": the controller library was not loaded";
    EXPECT_EQ(modulePath(library), binFolder() + "kvx_ctrlr_64.dll") << "round " << round;
    plugin.mTerminate();
    EXPECT_EQ(GetModuleHandleA("kvx_ctrlr_64.dll"), nullptr)
        << "round " << round << ": the controller library stayed loaded after the stop";
    ASSERT_TRUE(FreeLibrary(plugin.mModule)) << "round " << round;
    EXPECT_TRUE(std::filesystem::exists(settings)) << "round " << round << ": " << settings;
    if (round == 0) handlesAfterFirstRound = handleCount();
  }
  // Two threads a round: a leak of their records shows after three more rounds.
  EXPECT_LE(handleCount(), handlesAfterFirstRound + 2) << "handles grow with every start and stop";
}

}  // namespace
