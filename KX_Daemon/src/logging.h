// Placeholder of the shared log facility: the interface every class writes through. The full
// implementation (file, console, filters, rotation) replaces this file.
#pragma once

#include <cstdint>
#include <string>

#include "log_pars.h"

enum LogType : int32_t {
  LOG_ERR = 0,
  LOG_WRN = 1,
  LOG_CRT = 2,
  LOG_TRC = 3,
  LOG_DCM = 4,
  LOG_ICM = 5,
  LOG_INF = 6,
  LOG_DBG = 7,
  LOG_TMP = 8,
};

constexpr int32_t LOG_END = 314159;
constexpr int32_t LOG_HEX = 271828;
constexpr int32_t LOG_MAGIC = 314159;

class Logging {
 public:
  LogPars mLogPars;
  void init(const LogPars& pars) { mLogPars = pars; }
  bool beginEntry(int32_t, const char*, const char*) { return false; }
  template <typename T>
  Logging& operator<<(const T&) { return *this; }
};

extern Logging gLog;
extern volatile int32_t gLogMagic;

#define KXLOG(type)                                                             \
  if (gLogMagic != LOG_MAGIC || !gLog.beginEntry((type), __FILE__, __func__)) { \
  } else                                                                        \
    gLog
