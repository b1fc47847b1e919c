#include "environment.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kxtest {

// On Windows both copies: the C library's, which getenv reads, and the process's, which child
// processes and GetEnvironmentVariable see.
void setEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
  SetEnvironmentVariableA(name, value);
#else
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

bool getEnv(const char* name, std::string& value) {
  const char* text = std::getenv(name);
  if (text == nullptr) return false;
  value = text;
  return true;
}

ScopedEnv::ScopedEnv(std::vector<std::pair<std::string, std::string>> vars)
    : mVars(std::move(vars)) {
  for (const auto& v : mVars) setEnv(v.first.c_str(), v.second.c_str());
}

ScopedEnv::~ScopedEnv() {
  for (const auto& v : mVars) setEnv(v.first.c_str(), nullptr);
}

}  // namespace kxtest
