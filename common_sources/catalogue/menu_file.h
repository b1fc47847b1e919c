// Reading the menu file "Creo.mnu" back: the host's mode names (keys of [Modes], in file order)
// and the commands of [MenuBar] (in file order; the position is the application-function index).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Cnfg;

struct MenuFileLists {
  std::vector<std::string> modeNames;
  std::vector<std::string> menuCommands;
};

// The command of one [MenuBar] value: the text after its first "}" up to its first "|". False
// for menu entries ("{}", "{+ 6}") and values without a closing brace.
bool menuCommandOfValue(const std::string& value, std::string* command);

// Both lists from an opened reader; a missing section leaves its list empty.
void readMenuLists(Cnfg& cnfg, MenuFileLists* lists);

// The fuzzable entry: one menu file's bytes, read as the file would be (CR LF as LF).
MenuFileLists parseMenuFileText(const char* data, size_t size);
