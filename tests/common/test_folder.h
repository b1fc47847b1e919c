// Temporary folders of the tests, one per call, apart from those of other test processes, and the
// files in them read as they are.
#pragma once

#include <string>

namespace kxtest {

// A new empty folder under the system's temporary folder; native separators.
std::string makeTempDir(const std::string& tag);
void removeTree(const std::string& path);
// The file's bytes; empty when it cannot be read.
std::string readBinary(const std::string& path);

}  // namespace kxtest
