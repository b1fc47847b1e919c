#include "ctrl_library.h"

#include <windows.h>

#include <cstdlib>

namespace {
template <typename Fn>
bool bind(HMODULE module, int ordinal, Fn& fn, std::string& error) {
  fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
  if (!fn) error += " ordinal " + std::to_string(ordinal) + " missing;";
  return fn != nullptr;
}
}  // namespace

bool CtrlLibrary::load(std::string& error) {
  HMODULE m = LoadLibraryA("kvx_ctrlr_64.dll");
  if (!m) {
    error = "kvx_ctrlr_64.dll not loadable";
    return false;
  }
  module = m;
  bool ok = bind(m, KX_ORD_CONNECT, connect, error);
  ok &= bind(m, KX_ORD_DISCONNECT, disconnect, error);
  ok &= bind(m, KX_ORD_GET_EVENT, getEvent, error);
  ok &= bind(m, KX_ORD_GET_ADVANCED_SETTINGS, getAdvancedSettings, error);
  ok &= bind(m, KX_ORD_GET_PARAMETER, getParameter, error);
  ok &= bind(m, KX_ORD_GET_DEV_INFO, getDevInfo, error);
  ok &= bind(m, KX_ORD_GET_DEV_NUM, getDevNum, error);
  ok &= bind(m, KX_ORD_SET_PARAMETER, setParameter, error);
  ok &= bind(m, KX_ORD_SET_DLL_LOG_FLAGS, setDllLogFlags, error);
  ok &= bind(m, KX_ORD_SET_APPL_MODE, setApplMode, error);
  return ok;
}

int32_t CtrlLibrary::readEvent(Event& e) const {
  int32_t u1 = -7, u2 = -7, u3 = -7, u4 = -7;
  return getEvent(0, &e.v[0], &e.v[1], &e.v[2], &e.v[3], &e.v[4], &e.v[5], &u1, &u2, &e.code, &u3,
                  &u4);
}

int32_t CtrlLibrary::devNum(int32_t& count) const {
  int32_t a = 0, b = 0;
  return getDevNum(&count, &a, &b);
}

const CtrlLibrary& ctrlLibrary() {
  static CtrlLibrary lib;
  static bool loaded = [] {
    std::string error;
    if (!lib.load(error)) {
      std::fprintf(stderr, "cannot bind the controller library: %s\n", error.c_str());
      std::abort();
    }
    return true;
  }();
  (void)loaded;
  return lib;
}
