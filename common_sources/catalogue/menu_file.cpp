#include "menu_file.h"

#include "cnfg.h"

bool menuCommandOfValue(const std::string& value, std::string* command) {
  const size_t brace = value.find('}');
  if (brace == std::string::npos) return false;
  std::string rest = value.substr(brace + 1);
  if (rest.empty()) return false;
  const size_t bar = rest.find('|');
  if (bar != std::string::npos) rest.erase(bar);
  *command = rest;
  return true;
}

void readMenuLists(Cnfg& cnfg, MenuFileLists* lists) {
  lists->modeNames.clear();
  lists->menuCommands.clear();
  std::string key;
  std::string value;
  if (cnfg.findSection("Modes") == CNFG_OK) {
    while (cnfg.getNextParameter(key, value) != CNFG_NO_FURTHER_PARAMETER) {
      lists->modeNames.push_back(key);
    }
  }
  if (cnfg.findSection("MenuBar") == CNFG_OK) {
    while (cnfg.getNextParameter(key, value) != CNFG_NO_FURTHER_PARAMETER) {
      std::string command;
      if (menuCommandOfValue(value, &command)) lists->menuCommands.push_back(command);
    }
  }
}

MenuFileLists parseMenuFileText(const char* data, size_t size) {
  std::string text;
  text.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
    text.push_back(data[i]);
  }
  Cnfg cnfg;
  cnfg.openText(text, "menu file text");
  MenuFileLists lists;
  readMenuLists(cnfg, &lists);
  return lists;
}
