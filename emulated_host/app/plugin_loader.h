// Starts and stops DLL-mode applications the way the host does.
#ifndef KX_EMULATED_HOST_PLUGIN_LOADER_H
#define KX_EMULATED_HOST_PLUGIN_LOADER_H

#include <windows.h>

#include <string>
#include <vector>

#include "app/registry_file.h"

class HostApp;

class PluginLoader {
 public:
  explicit PluginLoader(HostApp* app) : mApp(app) {}
  // False when an application could not be loaded or started; the error says which and why.
  bool start(const RegistryEntry& entry, std::string* error);
  // user_terminate and FreeLibrary for every started application, last started first.
  void stopAll();
  // The user stops or starts one application of the registry file by name.
  bool stop(const std::string& name, std::string* error);
  bool startAgain(const std::string& name, std::string* error);
  void setEntries(const std::vector<RegistryEntry>& entries) { mEntries = entries; }

 private:
  struct Loaded {
    RegistryEntry entry;
    HMODULE module;
  };
  void stopOne(const Loaded& l);
  HostApp* mApp;
  std::vector<Loaded> mLoaded;
  std::vector<RegistryEntry> mEntries;
};

#endif
