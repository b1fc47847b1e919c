#include "kx_library.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "library_places.h"
#include "logging.h"

namespace {

// Win32's own lock: a contended mutex of the threads library creates an event that the standard
// mutex's trivial destructor never gives back, lost at an unload of the plug-in.
SRWLOCK sLoadLock = SRWLOCK_INIT;

struct LoadLockGuard {
  LoadLockGuard() { AcquireSRWLockExclusive(&sLoadLock); }
  ~LoadLockGuard() { ReleaseSRWLockExclusive(&sLoadLock); }
  LoadLockGuard(const LoadLockGuard&) = delete;
  LoadLockGuard& operator=(const LoadLockGuard&) = delete;
};
std::atomic<bool> sIsLoadTried{false};

template <typename Fn>
void bind(HMODULE module, KxOrdinal ordinal, Fn& slot) {
  slot = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

// The folder of the module this code is linked into (the plug-in DLL), with a trailing '\'.
std::string ownFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&ownFolder), &self)) {
    return std::string();
  }
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  const std::string full(path, length);
  const size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

}  // namespace

KxLibrary& KxLibrary::instance() {
  static KxLibrary sLibrary;
  return sLibrary;
}

KxLibrary& KxLibrary::api() {
  KxLibrary& library = instance();
  if (!sIsLoadTried.load(std::memory_order_acquire)) {
    const LoadLockGuard guard;
    if (!sIsLoadTried.load(std::memory_order_relaxed)) {
      if (!library.mIsInstalled) library.load();
      sIsLoadTried.store(true, std::memory_order_release);
    }
  }
  return library;
}

void KxLibrary::install(const KxApi& table) {
  const LoadLockGuard guard;
  KxLibrary& library = instance();
  if (library.mModule) FreeLibrary(static_cast<HMODULE>(library.mModule));
  library.mModule = nullptr;
  library.mApi = table;
  library.mIsInstalled = true;
  sIsLoadTried = true;
}

void KxLibrary::logLoad() {
  const LoadLockGuard guard;
  KxLibrary& library = instance();
  if (!library.mLoadReport.empty()) KXLOG(LOG_INF) << library.mLoadReport << LOG_END;
  library.mLoadReport.clear();
}

void KxLibrary::release() {
  const LoadLockGuard guard;
  KxLibrary& library = instance();
  if (library.mIsInstalled) return;
  library.mApi = KxApi();
  if (library.mModule) FreeLibrary(static_cast<HMODULE>(library.mModule));
  library.mModule = nullptr;
  sIsLoadTried = false;
}

namespace {

// The system's folders, as the system's own search takes them: the system folder, then the
// Windows folder.
std::vector<std::string> systemFolders() {
  std::vector<std::string> folders;
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) folders.emplace_back(path, length);
  length = GetWindowsDirectoryA(path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) folders.emplace_back(path, length);
  return folders;
}

// Where the plug-in in that folder looks for the library, in order.
std::vector<std::string> placesFor(const std::string& pluginFolder) {
  const char* pathVariable = std::getenv("PATH");
  return libraryPlaces(KxLibrary::kFileName, pluginFolder, systemFolders(),
                       pathVariable != nullptr ? pathVariable : "");
}

}  // namespace

std::string KxLibrary::locate(const std::string& pluginFile) {
  const size_t slash = pluginFile.find_last_of("\\/");
  const std::string folder =
      slash == std::string::npos ? std::string() : pluginFile.substr(0, slash + 1);
  for (const std::string& place : placesFor(folder))
    if (GetFileAttributesA(place.c_str()) != INVALID_FILE_ATTRIBUTES) return place;
  return std::string();
}

void KxLibrary::load() {
  const std::vector<std::string> places = placesFor(ownFolder());
  HMODULE module = nullptr;
  for (const std::string& place : places) {
    if (GetFileAttributesA(place.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    // The library's own imports are then looked for beside it first.
    module = LoadLibraryExA(place.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module) {
      mLoadReport = "Controller library loaded: " + place;
      break;
    }
  }
  if (!module) {
    mLoadReport = std::string("Controller library ") + kFileName + " not found; looked at:";
    for (const std::string& place : places) mLoadReport += "\n  " + place;
    return;
  }
  mModule = module;
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
