// The exported operations of kvx_ctrlr_64.dll. Exported by ordinal only (kvx_ctrlr_64.def); each
// catches everything at the boundary, as a C caller cannot take an exception.
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "client_link.h"
#include "dll_log.h"
#include "kvx_ctrlr.h"
#include "wire_codec.h"

namespace {

constexpr int kDescriptionCapacity = KX_DEV_INFO_SIZE - KX_DEV_INFO_DESCRIPTION_OFFSET;

void trace(const std::string& text) { DllLog::instance().write(DllLog::kTrace, text); }

int32_t failed(const char* operation, int32_t result) {
  if (result != KX_OK)
    DllLog::instance().write(DllLog::kWarning,
                             std::string(operation) + " failed: " + std::to_string(result));
  return result;
}

bool readInt(const std::vector<std::string>& values, size_t index, int64_t min, int64_t max,
             int64_t& out) {
  return index < values.size() && WireCodec::parseInt(values[index], min, max, out);
}

void putInt32(unsigned char* record, int offset, int32_t value) {
  std::memcpy(record + offset, &value, sizeof value);
}

template <typename Fn>
int32_t guarded(const char* operation, Fn body) {
  try {
    return failed(operation, body());
  } catch (...) {
    DllLog::instance().write(DllLog::kWarning, std::string("exception in ") + operation);
    return KX_ERR_BAD_REQUEST;
  }
}

}  // namespace

extern "C" {

int32_t KX_CALL kxConnect(int32_t reserved, const char* applName) {
  return guarded("kxConnect", [&] {
    trace("kxConnect(" + std::to_string(reserved) + ", " + (applName ? applName : "(null)") + ")");
    if (applName == nullptr || applName[0] == '\0') return int32_t(KX_ERR_ARGUMENT);
    return ClientLink::instance().connect(applName);
  });
}

int32_t KX_CALL kxDisconnect(void) {
  return guarded("kxDisconnect", [&] {
    trace("kxDisconnect()");
    return ClientLink::instance().disconnect();
  });
}

int32_t KX_CALL kxGetEvent(int32_t reserved, int16_t* tx, int16_t* ty, int16_t* tz, int16_t* rx,
                           int16_t* ry, int16_t* rz, int32_t* unused1, int32_t* unused2,
                           int32_t* eventCode, int32_t* unused3, int32_t* unused4) {
  (void)reserved;
  return guarded("kxGetEvent", [&] {
    int16_t* axes[6] = {tx, ty, tz, rx, ry, rz};
    for (int16_t* axis : axes)
      if (axis == nullptr) return int32_t(KX_ERR_ARGUMENT);
    if (eventCode == nullptr) return int32_t(KX_ERR_ARGUMENT);
    ControllerEvent event;
    int32_t rc = ClientLink::instance().getEvent(event);
    if (rc != KX_OK) return rc;
    for (int i = 0; i < 6; ++i) *axes[i] = event.values[i];
    *eventCode = event.code;
    // The values nobody reads get a defined content.
    for (int32_t* extra : {unused1, unused2, unused3, unused4})
      if (extra) *extra = 0;
    if (DllLog::instance().isOn(DllLog::kDebug))
      DllLog::instance().write(DllLog::kDebug, "event " + std::to_string(event.code));
    return int32_t(KX_OK);
  });
}

int32_t KX_CALL kxGetAdvancedSettings(int32_t deviceIndex, void* record148) {
  return guarded("kxGetAdvancedSettings", [&] {
    trace("kxGetAdvancedSettings(" + std::to_string(deviceIndex) + ")");
    if (record148 == nullptr) return int32_t(KX_ERR_ARGUMENT);
    std::vector<std::string> values;
    int32_t rc = ClientLink::instance().call(
        std::string(wire::kAdvanced) + " " + std::to_string(deviceIndex), values);
    if (rc != KX_OK) return rc;
    int64_t rotMode, refit;
    if (!readInt(values, 0, INT32_MIN, INT32_MAX, rotMode) || !readInt(values, 1, 0, 255, refit))
      return int32_t(KX_ERR_BAD_REQUEST);
    auto* record = static_cast<unsigned char*>(record148);
    std::memset(record, 0, KX_ADVANCED_SETTINGS_SIZE);
    putInt32(record, KX_ADVANCED_ROT_MODE_OFFSET, static_cast<int32_t>(rotMode));
    record[KX_ADVANCED_REFIT_OFFSET] = static_cast<unsigned char>(refit);
    return int32_t(KX_OK);
  });
}

int32_t KX_CALL kxGetParameter(int32_t parameter, int32_t* value) {
  return guarded("kxGetParameter", [&] {
    trace("kxGetParameter(" + std::to_string(parameter) + ")");
    if (value == nullptr) return int32_t(KX_ERR_ARGUMENT);
    std::vector<std::string> values;
    int32_t rc = ClientLink::instance().call(
        std::string(wire::kGetParam) + " " + std::to_string(parameter), values);
    if (rc != KX_OK) return rc;
    int64_t v;
    if (!readInt(values, 0, INT32_MIN, INT32_MAX, v)) return int32_t(KX_ERR_BAD_REQUEST);
    *value = static_cast<int32_t>(v);
    return int32_t(KX_OK);
  });
}

int32_t KX_CALL kxGetDevInfo(int32_t deviceIndex, void* record96) {
  return guarded("kxGetDevInfo", [&] {
    trace("kxGetDevInfo(" + std::to_string(deviceIndex) + ")");
    if (record96 == nullptr) return int32_t(KX_ERR_ARGUMENT);
    std::vector<std::string> values;
    int32_t rc = ClientLink::instance().call(
        std::string(wire::kDevInfo) + " " + std::to_string(deviceIndex), values);
    if (rc != KX_OK) return rc;
    std::string description;
    int64_t buttons;
    if (values.size() < 2 || !WireCodec::unescape(values[0], description) ||
        !readInt(values, 1, 0, INT32_MAX, buttons))
      return int32_t(KX_ERR_BAD_REQUEST);
    auto* record = static_cast<unsigned char*>(record96);
    std::memset(record, 0, KX_DEV_INFO_SIZE);
    putInt32(record, 0, deviceIndex);
    putInt32(record, 4, static_cast<int32_t>(buttons));
    size_t n = std::min<size_t>(description.size(), kDescriptionCapacity - 1);
    std::memcpy(record + KX_DEV_INFO_DESCRIPTION_OFFSET, description.data(), n);
    return int32_t(KX_OK);
  });
}

int32_t KX_CALL kxGetDevNum(int32_t* count, int32_t* unused1, int32_t* unused2) {
  return guarded("kxGetDevNum", [&] {
    trace("kxGetDevNum()");
    if (count == nullptr) return int32_t(KX_ERR_ARGUMENT);
    std::vector<std::string> values;
    int32_t rc = ClientLink::instance().call(wire::kDevNum, values);
    if (rc != KX_OK) return rc;
    int64_t n;
    if (!readInt(values, 0, 0, INT32_MAX, n)) return int32_t(KX_ERR_BAD_REQUEST);
    *count = static_cast<int32_t>(n);
    if (unused1) *unused1 = 0;
    if (unused2) *unused2 = 0;
    return int32_t(KX_OK);
  });
}

int32_t KX_CALL kxSetParameter(int32_t parameter, int32_t* value) {
  return guarded("kxSetParameter", [&] {
    if (value == nullptr) return int32_t(KX_ERR_ARGUMENT);
    trace("kxSetParameter(" + std::to_string(parameter) + ", " + std::to_string(*value) + ")");
    std::vector<std::string> values;
    return ClientLink::instance().call(std::string(wire::kSetParam) + " " +
                                           std::to_string(parameter) + " " + std::to_string(*value),
                                       values);
  });
}

int32_t KX_CALL kxSetDllLogFlags(const char* fileName, int32_t maxSize, int32_t toFile,
                                 int32_t toConsole, int32_t warning, int32_t creation,
                                 int32_t trace, int32_t devCom, int32_t intCom, int32_t info,
                                 int32_t debug, int32_t tmp, const char* fileToLog) {
  return guarded("kxSetDllLogFlags", [&] {
    bool categories[DllLog::kCount] = {warning != 0, creation != 0, trace != 0, devCom != 0,
                                       intCom != 0,  info != 0,     debug != 0, tmp != 0};
    return DllLog::instance().configure(fileName, maxSize, toFile != 0, toConsole != 0, categories,
                                        fileToLog);
  });
}

int32_t KX_CALL kxSetApplMode(const char* application, const char* modeName) {
  return guarded("kxSetApplMode", [&] {
    if (application == nullptr || modeName == nullptr) return int32_t(KX_ERR_ARGUMENT);
    trace(std::string("kxSetApplMode(") + application + ", " + modeName + ")");
    std::vector<std::string> values;
    return ClientLink::instance().call(std::string(wire::kApplMode) + " " +
                                           WireCodec::escape(application) + " " +
                                           WireCodec::escape(modeName),
                                       values);
  });
}

}  // extern "C"

// The exports must keep the exact types the plug-in binds them as.
static_assert(std::is_same_v<decltype(&kxConnect), KxConnectFn>);
static_assert(std::is_same_v<decltype(&kxDisconnect), KxDisconnectFn>);
static_assert(std::is_same_v<decltype(&kxGetEvent), KxGetEventFn>);
static_assert(std::is_same_v<decltype(&kxGetAdvancedSettings), KxGetAdvancedSettingsFn>);
static_assert(std::is_same_v<decltype(&kxGetParameter), KxGetParameterFn>);
static_assert(std::is_same_v<decltype(&kxGetDevInfo), KxGetDevInfoFn>);
static_assert(std::is_same_v<decltype(&kxGetDevNum), KxGetDevNumFn>);
static_assert(std::is_same_v<decltype(&kxSetParameter), KxSetParameterFn>);
static_assert(std::is_same_v<decltype(&kxSetDllLogFlags), KxSetDllLogFlagsFn>);
static_assert(std::is_same_v<decltype(&kxSetApplMode), KxSetApplModeFn>);
