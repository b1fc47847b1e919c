// One entry of the command catalogue: a host command with its menu label and help text.
#pragma once

#include <string>

struct MNUCommand {
  std::string key;      // resource name without ".TXT", upper case, e.g. PROCMDVIEWSHADED
  std::string command;  // spelling of the first pane text that mentions it, e.g. ProCmdViewShaded
  std::string label;    // menu label without any "&"
  std::string helpText;
};
