// Starts and stops DLL-mode applications the way the host does.
#ifndef KX_EMULATED_HOST_PLUGIN_LOADER_H
#define KX_EMULATED_HOST_PLUGIN_LOADER_H

#include <windows.h>

#include <string>
#include <vector>

#include "registry_file.h"

class HostApp;

class PluginLoader {
 public:
  explicit PluginLoader(HostApp* app) : mApp(app) {}
  // False when an application could not be loaded or started; the error says which and why.
  bool start(const RegistryEntry& entry, std::string* error);
  // user_terminate and FreeLibrary for every started application, last started first.
  void stopAll();

 private:
  struct Loaded {
    std::string name;
    HMODULE module;
  };
  HostApp* mApp;
  std::vector<Loaded> mLoaded;
};

#endif
