// kvx_ctrlr_64.dll loaded the way the plug-in binds it: every operation by its ordinal.
#pragma once

#include <string>

#include "kvx_ctrlr.h"

struct CtrlLibrary : KxApi {
  bool load(std::string& error);

  void* module = nullptr;

  // Convenience wrappers for the tests.
  struct Event {
    int16_t v[6] = {0, 0, 0, 0, 0, 0};
    int32_t code = 0;
  };
  int32_t readEvent(Event& event) const;
  int32_t devNum(int32_t& count) const;
};

// The library is process-wide; every test shares one binding.
const CtrlLibrary& ctrlLibrary();
