// The application functions of a menu file "Creo.mnu" as the configuration tool numbers them: the
// commands of the [MenuBar] entries in file order, menu entries ("{}" with no command) left out.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

class MenuIndex {
 public:
  // false with error naming the file when it cannot be read or has no [MenuBar] section.
  bool load(const std::string& path, std::string& error);
  bool parse(std::istream& in);
  // Index of the command, or -1 when the menu file does not list it.
  int32_t indexOf(const std::string& command) const;
  const std::vector<std::string>& commands() const { return mCommands; }

 private:
  std::vector<std::string> mCommands;
};
