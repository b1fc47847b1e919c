// What the host session's files share: the model handles' mark, the check every matrix the host is
// given passes, and how a component path is written in the journal.
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace host_session {

constexpr unsigned kModelMagic = 0x4d444c31;

// The host stores what it is given, but a matrix with NaN or infinity in it would poison every
// later view or placement: it refuses those.
inline bool finite(const double m[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k)
      if (!std::isfinite(m[r][k])) return false;
  return true;
}

inline std::string pathText(const std::vector<int>& path) {
  std::string s;
  for (size_t i = 0; i < path.size(); ++i) s += (i ? "/" : "") + std::to_string(path[i]);
  return s;
}

}  // namespace host_session
