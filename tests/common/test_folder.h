// Temporary folders of the tests, one per call, apart from those of other test processes.
#pragma once

#include <string>

namespace kxtest {

// A new empty folder under the system's temporary folder; native separators.
std::string makeTempDir(const std::string& tag);
void removeTree(const std::string& path);

}  // namespace kxtest
