// Host macro text for a command entry of the menu file: "Command" or "Command*Argument".
#pragma once

#include <string>

std::string buildMacroText(const std::string& entry);
