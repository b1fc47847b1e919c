// The daemon's configuration file: devices, applications with their menu files, and button
// assignments per application and mode. Format in docs/simulated-controller.md.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <vector>

struct DeviceConfig {
  std::string description;
  int32_t legacyCom1 = 1;
  int32_t rotationMode = 0;
  int32_t refit = 1;
  int32_t buttons = 12;
};

struct ButtonBinding {
  enum Kind { kCommand, kView, kCode };
  Kind kind = kCommand;
  std::string text;  // the command name, or the view name, as written in the file
  int32_t code = 0;  // for kView and kCode
  int line = 0;
};

struct ApplicationConfig {
  std::string menuFile;  // resolved against the configuration file's folder
  std::map<std::string, std::map<int32_t, ButtonBinding>> modes;  // mode -> button -> binding
};

class DaemonConfig {
 public:
  // Both return false and set error to "<file>:<line>: <reason>" on bad input.
  bool load(const std::string& path, std::string& error);
  bool parse(std::istream& in, const std::string& fileName, std::string& error);

  // The configured device, or a default one for an index beyond the configured ones.
  DeviceConfig device(int32_t index) const;
  static bool viewCode(const std::string& name, int32_t& code);
  static const char* viewName(int32_t code);

  int32_t mDeviceCount = 1;
  std::map<int32_t, DeviceConfig> mDevices;
  std::map<std::string, ApplicationConfig> mApplications;
  std::string mDirectory;  // folder of the loaded file, for relative menu file paths

  static constexpr int32_t kMaxDevices = 16;
};
