#include "logging.h"

Logging gLog;
volatile int32_t gLogMagic = LOG_MAGIC;
