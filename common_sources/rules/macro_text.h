// Host macro text for a command entry of the menu file: "Command" or "Command*Argument".
#pragma once

#include <cstddef>
#include <string>

// Wide characters of a macro handed to the host, the terminating zero included.
constexpr std::size_t kMacroChars = 256;

std::string buildMacroText(const std::string& entry);

// A macro fits when its characters and the terminating zero fit the wide buffer.
inline bool fitsMacroBuffer(const std::string& macro) { return macro.size() < kMacroChars; }
