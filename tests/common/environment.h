// The tests' environment variables.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kxtest {

// nullptr unsets the variable.
void setEnv(const char* name, const char* value);
// Returns false when the variable is unset.
bool getEnv(const char* name, std::string& value);

// Variables set for a while and unset again at the end.
class ScopedEnv {
 public:
  explicit ScopedEnv(std::vector<std::pair<std::string, std::string>> vars);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::vector<std::pair<std::string, std::string>> mVars;
};

}  // namespace kxtest
