// Texts of the mapkey through which host commands run from a trail file: its keys, the trail
// file's path and the value of the host's "mapkey" option.
#pragma once

#include <cstddef>
#include <string>

// Wide characters the definition is converted into, the terminating zero included.
constexpr std::size_t kMapkeyDefinitionChars = 1024;

// The first two characters of a-z and 0-9 of the setting, others skipped; "kx" when there are none.
std::string mapkeyKeyString(const std::string& setting);

// The trail file in the temporary folder; a folder without a closing backslash gets one.
std::string trailFilePathIn(const std::string& tempDir);

// Each run of backslashes written as exactly two, as the host's macro texts spell a path.
std::string doubleBackslashRuns(const std::string& path);

// The value of the "mapkey" option: open trail training, enter the trail file, confirm.
std::string mapkeyDefinition(const std::string& keys, const std::string& trailFilePath);

// A definition fits when its characters and the terminating zero fit the wide buffer.
inline bool fitsMapkeyBuffer(const std::string& definition) {
  return definition.size() < kMapkeyDefinitionChars;
}
