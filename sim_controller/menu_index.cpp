#include "menu_index.h"

#include <fstream>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Key and value of one line the way the plug-in's INI reader splits it; an empty key ends a block.
void splitKeyLine(const std::string& line, std::string& key, std::string& value) {
  key.clear();
  value.clear();
  size_t first = 0;
  while (first < line.size() && isBlank(line[first])) ++first;
  if (first == line.size() || line[first] == '#' || line[first] == '[') return;
  size_t sep = line.find_first_of("=\t", first);
  if (sep == std::string::npos) sep = line.size();
  key = line.substr(first, sep - first);
  while (!key.empty() && key.back() == ' ') key.pop_back();
  size_t valueStart = sep;
  while (valueStart < line.size() && (line[valueStart] == '=' || line[valueStart] == '\t'))
    ++valueStart;
  size_t valueEnd = line.find_first_of("#\r\n", valueStart);
  if (valueEnd == std::string::npos) valueEnd = line.size();
  value = line.substr(valueStart, valueEnd - valueStart);
  size_t b = 0;
  while (b < value.size() && isBlank(value[b])) ++b;
  size_t e = value.size();
  while (e > b && isBlank(value[e - 1])) --e;
  value = value.substr(b, e - b);
}

bool isSectionHeader(const std::string& line, const std::string& name) {
  size_t first = 0;
  while (first < line.size() && isBlank(line[first])) ++first;
  if (first == line.size() || line[first] != '[') return false;
  size_t close = line.find(']', first);
  return close != std::string::npos && line.compare(first + 1, close - first - 1, name) == 0;
}

}  // namespace

bool MenuIndex::load(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "menu file '" + path + "' cannot be read";
    return false;
  }
  if (!parse(in)) {
    error = "menu file '" + path + "' has no [MenuBar] section";
    return false;
  }
  return true;
}

bool MenuIndex::parse(std::istream& in) {
  mCommands.clear();
  std::string line;
  bool found = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (isSectionHeader(line, "MenuBar")) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  while (std::getline(in, line)) {
    // The plug-in reads the file in text mode, where CR LF arrives as LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Comment lines in the first column do not end the block.
    if (!line.empty() && (line[0] == '#' || line[0] == '\r')) continue;
    std::string key, value;
    splitKeyLine(line, key, value);
    if (key.empty()) break;
    size_t brace = value.find('}');
    if (brace == std::string::npos) continue;
    std::string command = value.substr(brace + 1);
    size_t bar = command.find('|');
    if (bar != std::string::npos) command.resize(bar);
    if (command.empty()) continue;
    mCommands.push_back(command);
  }
  return true;
}

int32_t MenuIndex::indexOf(const std::string& command) const {
  for (size_t i = 0; i < mCommands.size(); ++i)
    if (mCommands[i] == command) return static_cast<int32_t>(i);
  return -1;
}
