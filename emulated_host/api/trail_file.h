// A trail file the host replays: a version header, '!' comments and macro steps.
#ifndef KX_EMULATED_HOST_TRAIL_FILE_H
#define KX_EMULATED_HOST_TRAIL_FILE_H

#include <string>
#include <vector>

#include "api/macro_text.h"

class TrailFile {
 public:
  // Windows path semantics: runs of backslashes after the start count as one.
  static std::string normalizePath(const std::string& path);
  bool load(const std::string& path, std::string* error);
  const std::vector<MacroStep>& steps() const { return mSteps; }
  int version() const { return mVersion; }

 private:
  std::vector<MacroStep> mSteps;
  int mVersion = 0;
};

#endif
