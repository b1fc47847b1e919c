#include "kx_library.h"

#include <windows.h>

#include <mutex>

namespace {

std::once_flag sLoadOnce;

template <typename Fn>
void bind(HMODULE module, KxOrdinal ordinal, Fn& slot) {
  slot = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

}  // namespace

KxLibrary& KxLibrary::api() {
  static KxLibrary sLibrary;
  std::call_once(sLoadOnce, [] { sLibrary.load(); });
  return sLibrary;
}

void KxLibrary::install(const KxApi& table) {
  // Mark the one-time load as done so the real file is never looked for.
  std::call_once(sLoadOnce, [] {});
  KxLibrary& library = api();
  library.mApi = table;
  library.mIsLoaded = true;
}

void KxLibrary::load() {
  HMODULE module = LoadLibraryA(kFileName);
  if (!module) return;
  bind(module, KX_ORD_CONNECT, mApi.connect);
  bind(module, KX_ORD_DISCONNECT, mApi.disconnect);
  bind(module, KX_ORD_GET_EVENT, mApi.getEvent);
  bind(module, KX_ORD_GET_ADVANCED_SETTINGS, mApi.getAdvancedSettings);
  bind(module, KX_ORD_GET_PARAMETER, mApi.getParameter);
  bind(module, KX_ORD_GET_DEV_INFO, mApi.getDevInfo);
  bind(module, KX_ORD_GET_DEV_NUM, mApi.getDevNum);
  bind(module, KX_ORD_SET_PARAMETER, mApi.setParameter);
  bind(module, KX_ORD_SET_DLL_LOG_FLAGS, mApi.setDllLogFlags);
  bind(module, KX_ORD_SET_APPL_MODE, mApi.setApplMode);
  mIsLoaded = true;
}

int32_t KxLibrary::connect(int32_t reserved, const char* applName) {
  return mApi.connect ? mApi.connect(reserved, applName) : kUnbound;
}

int32_t KxLibrary::disconnect() { return mApi.disconnect ? mApi.disconnect() : kUnbound; }

int32_t KxLibrary::getEvent(int16_t motion[6], int32_t* eventCode) {
  if (!mApi.getEvent) return kUnbound;
  int32_t unused[4] = {0, 0, 0, 0};
  return mApi.getEvent(0, &motion[0], &motion[1], &motion[2], &motion[3], &motion[4], &motion[5],
                       &unused[0], &unused[1], eventCode, &unused[2], &unused[3]);
}

int32_t KxLibrary::getAdvancedSettings(void* record148) {
  return mApi.getAdvancedSettings ? mApi.getAdvancedSettings(0, record148) : kUnbound;
}

int32_t KxLibrary::getParameter(int32_t parameter, int32_t* value) {
  return mApi.getParameter ? mApi.getParameter(parameter, value) : kUnbound;
}

int32_t KxLibrary::getDevInfo(int32_t deviceIndex, void* record96) {
  return mApi.getDevInfo ? mApi.getDevInfo(deviceIndex, record96) : kUnbound;
}

int32_t KxLibrary::getDevNum(int32_t* count) {
  if (!mApi.getDevNum) return kUnbound;
  int32_t unused[2] = {0, 0};
  return mApi.getDevNum(count, &unused[0], &unused[1]);
}

int32_t KxLibrary::setParameter(int32_t parameter, int32_t* value) {
  return mApi.setParameter ? mApi.setParameter(parameter, value) : kUnbound;
}

int32_t KxLibrary::setDllLogFlags(const char* fileName, int32_t maxSize, int32_t toFile,
                                  int32_t toConsole, int32_t warning, int32_t creation,
                                  int32_t trace, int32_t devCom, int32_t intCom, int32_t info,
                                  int32_t debug, int32_t tmp, const char* fileToLog) {
  if (!mApi.setDllLogFlags) return kUnbound;
  return mApi.setDllLogFlags(fileName, maxSize, toFile, toConsole, warning, creation, trace, devCom,
                             intCom, info, debug, tmp, fileToLog);
}

int32_t KxLibrary::setApplMode(const char* application, const char* modeName) {
  return mApi.setApplMode ? mApi.setApplMode(application, modeName) : kUnbound;
}
