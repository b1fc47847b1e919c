// Text as a JSON string literal, for the journals of the emulated host and the simulated daemon.
#pragma once

#include <string>

std::string jsonQuote(const std::string& text);
