// The settings on an arbitrary Creo_plugin.ini. Whatever the file holds, the plug-in starts with a
// complete set of values, and the file it writes back at the end reads back to exactly those
// values without falling back to the defaults.
#include <cstdint>
#include <string>

#include "environment.h"
#include "fuzz_util.h"
#include "settings.h"

namespace {

std::string gHome;

// The path Settings builds from the profile folder; the product joins with '\', which natively is
// part of one file name in the work folder.
std::string settingsPath() { return gHome + "\\Korvexpad\\Applications\\Creo_plugin.ini"; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gHome = kxfuzz::workDir() + "/home";
  kxtest::setEnv("USERPROFILE", gHome.c_str());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kxfuzz::writeFile(settingsPath(), data, size);
  std::string first;
  {
    Settings settings;
    if (settings.mFilePath != settingsPath()) kxfuzz::fail("settings path " + settings.mFilePath);
    // A fall-back to the defaults clears the log's folder, which no file holds; a read file has it.
    settings.mLogPars.mSettingsDirPath = settings.mHomeDir + "\\Korvexpad";
    first = settings.toString();
  }
  // The destructor wrote the values back; a second start must read every key of that file.
  Settings again;
  if (again.readSettingsFile(settingsPath()) != 0) {
    kxfuzz::fail("the written file does not read back:\n" + first);
  }
  if (again.toString() != first) {
    kxfuzz::fail("values changed on the way through the file:\n" + first + "---\n" +
                 again.toString());
  }
  return 0;
}
