// Our declarations of the controller client library kvx_ctrlr_64.dll. The library exports its
// operations by ordinal only; the plug-in binds them at run time (see common_sources/kx_library).
#pragma once

#include <cstdint>

#ifdef _WIN32
#define KX_CALL __cdecl
#else
#define KX_CALL  // the pure logic that includes this also builds natively
#endif

extern "C" {
typedef int32_t(KX_CALL* KxConnectFn)(int32_t reserved, const char* applName);
typedef int32_t(KX_CALL* KxDisconnectFn)(void);
typedef int32_t(KX_CALL* KxGetEventFn)(int32_t reserved, int16_t* tx, int16_t* ty, int16_t* tz,
                                       int16_t* rx, int16_t* ry, int16_t* rz, int32_t* unused1,
                                       int32_t* unused2, int32_t* eventCode, int32_t* unused3,
                                       int32_t* unused4);
typedef int32_t(KX_CALL* KxGetAdvancedSettingsFn)(int32_t reserved, void* record148);
typedef int32_t(KX_CALL* KxGetParameterFn)(int32_t parameter, int32_t* value);
typedef int32_t(KX_CALL* KxGetDevInfoFn)(int32_t deviceIndex, void* record96);
typedef int32_t(KX_CALL* KxGetDevNumFn)(int32_t* count, int32_t* unused1, int32_t* unused2);
typedef int32_t(KX_CALL* KxSetParameterFn)(int32_t parameter, int32_t* value);
typedef int32_t(KX_CALL* KxSetDllLogFlagsFn)(const char* fileName, int32_t maxSize, int32_t toFile,
                                             int32_t toConsole, int32_t warning, int32_t creation,
                                             int32_t trace, int32_t devCom, int32_t intCom,
                                             int32_t info, int32_t debug, int32_t tmp,
                                             const char* fileToLog);
typedef int32_t(KX_CALL* KxSetApplModeFn)(const char* application, const char* modeName);
}

// The operations bound from the library, one entry per export.
struct KxApi {
  KxConnectFn connect = nullptr;
  KxDisconnectFn disconnect = nullptr;
  KxGetEventFn getEvent = nullptr;
  KxGetAdvancedSettingsFn getAdvancedSettings = nullptr;
  KxGetParameterFn getParameter = nullptr;
  KxGetDevInfoFn getDevInfo = nullptr;
  KxGetDevNumFn getDevNum = nullptr;
  KxSetParameterFn setParameter = nullptr;
  KxSetDllLogFlagsFn setDllLogFlags = nullptr;
  KxSetApplModeFn setApplMode = nullptr;
};

// Ordinals of the library's exports.
enum KxOrdinal : uint16_t {
  KX_ORD_CONNECT = 104,
  KX_ORD_DISCONNECT = 106,
  KX_ORD_GET_EVENT = 108,
  KX_ORD_GET_ADVANCED_SETTINGS = 110,
  KX_ORD_GET_PARAMETER = 114,
  KX_ORD_GET_DEV_INFO = 116,
  KX_ORD_GET_DEV_NUM = 117,
  KX_ORD_SET_PARAMETER = 164,
  KX_ORD_SET_DLL_LOG_FLAGS = 167,
  KX_ORD_SET_APPL_MODE = 180,
};

constexpr int32_t KX_PARAM_LEGACY_COM1 = 12;
constexpr int KX_DEV_INFO_SIZE = 96;
constexpr int KX_DEV_INFO_DESCRIPTION_OFFSET = 20;
constexpr int KX_ADVANCED_SETTINGS_SIZE = 148;
constexpr int KX_ADVANCED_ROT_MODE_OFFSET = 132;
constexpr int KX_ADVANCED_REFIT_OFFSET = 138;

// Event codes delivered by kxGetEvent.
constexpr int32_t KX_EV_ADVANCED_SETTINGS_1 = 0x20001;
constexpr int32_t KX_EV_ADVANCED_SETTINGS_2 = 0x20002;
constexpr int32_t KX_EV_SPECIAL_FIRST = 0x20009;
constexpr int32_t KX_EV_SPECIAL_LAST = 0x2000C;
constexpr int32_t KX_EV_RESEND_MODE = 0x20013;
constexpr int32_t KX_EV_SPECIAL2_FIRST = 0x20016;
constexpr int32_t KX_EV_SPECIAL2_LAST = 0x20018;
constexpr int32_t APPL_FUNC_START = 0x20020;
