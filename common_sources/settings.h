// Placeholder: the plug-in settings; replaced by the full implementation.
#pragma once

#include "log_pars.h"

class Settings {
 public:
  LogPars mLogPars;
};
