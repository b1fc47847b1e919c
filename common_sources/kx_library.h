// The controller client library, bound by ordinal at run time. A missing library or export leaves
// its entry empty and the call fails with -1, so the plug-in runs on without a controller. Tests
// install a table of their own instead of the DLL.
#pragma once

#include <cstdint>
#include <string>

#include "kvx_ctrlr.h"

class KxLibrary {
 public:
  static constexpr const char* kFileName = "kvx_ctrlr_64.dll";
  static constexpr int32_t kUnbound = -1;

  // Loads the library on first use after start-up (once: a missing library is looked for again at
  // the next start, not at every call).
  static KxLibrary& api();
  // The file a plug-in at `pluginFile` would load, by the same search as the plug-in's own start;
  // empty when it would find none. The setup tool's check asks it.
  static std::string locate(const std::string& pluginFile);
  // Replaces the bound operations; the library file is then never loaded.
  static void install(const KxApi& table);
  // Logs (INF) the full path of the library loaded, or every place looked at when none was found;
  // the load comes before the log is configured.
  static void logLoad();
  // Unbinds and unloads the library; called at shutdown, when no thread of the plug-in calls it
  // any more. An installed table stays.
  static void release();

  int32_t connect(int32_t reserved, const char* applName);
  int32_t disconnect();
  int32_t getEvent(int16_t motion[6], int32_t* eventCode);
  int32_t getAdvancedSettings(void* record148);
  int32_t getParameter(int32_t parameter, int32_t* value);
  int32_t getDevInfo(int32_t deviceIndex, void* record96);
  int32_t getDevNum(int32_t* count);
  int32_t setParameter(int32_t parameter, int32_t* value);
  int32_t setDllLogFlags(const char* fileName, int32_t maxSize, int32_t toFile, int32_t toConsole,
                         int32_t warning, int32_t creation, int32_t trace, int32_t devCom,
                         int32_t intCom, int32_t info, int32_t debug, int32_t tmp,
                         const char* fileToLog);
  int32_t setApplMode(const char* application, const char* modeName);

 private:
  KxLibrary() = default;
  static KxLibrary& instance();
  void load();

  KxApi mApi;
  bool mIsInstalled = false;
  void* mModule = nullptr;  // HMODULE of the loaded file
  std::string mLoadReport;  // what logLoad writes
};
