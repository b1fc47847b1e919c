// Reading the host's small text files (registry, scenarios, command lists) whole.
#pragma once

#include <string>

// The file's bytes, or false with "<path>: cannot open <what>".
bool readTextFile(const std::string& path, const char* what, std::string* text, std::string* error);
