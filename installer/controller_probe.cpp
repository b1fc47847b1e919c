#include "controller_probe.h"

#include <windows.h>

#include <string>

#include "check_report.h"
#include "kvx_ctrlr.h"
#include "kx_library.h"

namespace controller_probe {

namespace {

// The daemon learns of the check under this name; the plug-in registers as "xtopCreo".
const char* const kCheckApplName = "KorvexCreoCheck";
const char* const kStartService =
    "start the controller's software (its service), then run the check again.";

struct Operation {
  const char* mName;
  KxOrdinal mOrdinal;
};
const Operation kOperations[] = {
    {"kxConnect", KX_ORD_CONNECT},
    {"kxDisconnect", KX_ORD_DISCONNECT},
    {"kxGetEvent", KX_ORD_GET_EVENT},
    {"kxGetAdvancedSettings", KX_ORD_GET_ADVANCED_SETTINGS},
    {"kxGetParameter", KX_ORD_GET_PARAMETER},
    {"kxGetDevInfo", KX_ORD_GET_DEV_INFO},
    {"kxGetDevNum", KX_ORD_GET_DEV_NUM},
    {"kxSetParameter", KX_ORD_SET_PARAMETER},
    {"kxSetDllLogFlags", KX_ORD_SET_DLL_LOG_FLAGS},
    {"kxSetApplMode", KX_ORD_SET_APPL_MODE},
};

template <typename Fn>
Fn bound(HMODULE module, KxOrdinal ordinal) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

void askDaemon(HMODULE module, CheckReport& report) {
  auto setLogFlags = bound<KxSetDllLogFlagsFn>(module, KX_ORD_SET_DLL_LOG_FLAGS);
  auto connect = bound<KxConnectFn>(module, KX_ORD_CONNECT);
  auto disconnect = bound<KxDisconnectFn>(module, KX_ORD_DISCONNECT);
  auto getDevNum = bound<KxGetDevNumFn>(module, KX_ORD_GET_DEV_NUM);
  auto getDevInfo = bound<KxGetDevInfoFn>(module, KX_ORD_GET_DEV_INFO);
  // The library's own log stays off, as the plug-in keeps it.
  setLogFlags("Creo_plugin_dll_log.txt", 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "");
  const int32_t connected = connect(0, kCheckApplName);
  if (connected != 0) {
    report.fail("The controller's daemon does not answer (kxConnect gave " +
                    std::to_string(connected) + ").",
                kStartService);
    return;
  }
  int32_t count = 0, unused1 = 0, unused2 = 0;
  const int32_t counted = getDevNum(&count, &unused1, &unused2);
  if (counted != 0) {
    report.fail("The controller's daemon answers but gives no device count (kxGetDevNum gave " +
                    std::to_string(counted) + ").",
                kStartService);
  } else if (count == 0) {
    report.warn(
        "The controller's daemon answers but reports no device.",
        "connect the controller (cable or receiver) and look at the controller's software.");
  } else {
    report.ok("The controller's daemon answers and reports " + std::to_string(count) +
              (count == 1 ? " device." : " devices."));
    for (int32_t i = 0; i < count; ++i) {
      unsigned char record[KX_DEV_INFO_SIZE] = {};
      if (getDevInfo(i, record) != 0) continue;
      record[KX_DEV_INFO_SIZE - 1] = 0;
      report.ok("Device " + std::to_string(i) + ": " +
                reinterpret_cast<const char*>(record + KX_DEV_INFO_DESCRIPTION_OFFSET) + ".");
    }
  }
  disconnect();
}

}  // namespace

void check(const std::string& pluginFile, CheckReport& report) {
  if (pluginFile.empty()) {
    report.warn(
        "Without a usable registry entry the check cannot tell where the plug-in would "
        "load the controller's library from.",
        "mend the installation first.");
    return;
  }
  const std::string path = KxLibrary::locate(pluginFile);
  if (path.empty()) {
    report.fail(std::string("The plug-in would find no ") + KxLibrary::kFileName + ".",
                "install the controller's software, or put its " +
                    std::string(KxLibrary::kFileName) + " beside the plug-in.");
    return;
  }
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    report.fail("The plug-in would load " + path + ", but it cannot be loaded (Windows error " +
                    std::to_string(GetLastError()) + ").",
                "install the controller's software again (a 64-bit one).");
    return;
  }
  std::string missing;
  for (const Operation& op : kOperations)
    if (!GetProcAddress(module, MAKEINTRESOURCEA(op.mOrdinal)))
      missing += (missing.empty() ? "" : ", ") + std::string(op.mName) + " (" +
                 std::to_string(op.mOrdinal) + ")";
  if (!missing.empty()) {
    report.fail("The plug-in would load " + path + ", which lacks " + missing + ".",
                "install the controller's software again; this file is of another version.");
  } else {
    report.ok("Controller library " + path + ": all 10 operations at their ordinals.");
    askDaemon(module, report);
  }
  FreeLibrary(module);
}

}  // namespace controller_probe
